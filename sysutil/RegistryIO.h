// Registry operations of the clean-up. Each opens its key, does one job and
// closes it again. Key path first, root last.
#pragma once
#include <windows.h>
#include <string>
#include "sysutil/TokenList.h"

// RegDeleteKeyA: one key. NT refuses a key with sub-keys; 9x removes the
// whole subtree. Returns the platform's result; logs nothing.
LONG regDeleteKey(const std::string& keyPath, HKEY root);
// Deletes one value; a missing key or value is passed over.
void regDeleteValue(const std::string& keyPath, const std::string& valueName, HKEY root);
// Deletes every value of the key (names gathered first, then deleted).
void regDeleteValues(const std::string& keyPath, HKEY root);
// True when the key opens with full access and the value's size can be read.
bool regValueExists(const std::string& keyPath, const std::string& valueName, HKEY root);
// Reads a REG_SZ value. result is always assigned ("" on failure); a failure
// writes one three-line entry to registryErrorLog.
bool regGetString(const std::string& keyPath, const std::string& valueName, std::string& result,
                  HKEY root);
// The names of the key's sub-keys, in enumeration order (name buffer of 260
// characters). False, with no names, when the key does not open with the
// access asked for (full access for a key about to be emptied, read access
// for one only looked at).
bool regGetSubkeys(const std::string& keyPath, HKEY root, TokenList& names,
                   REGSAM access = KEY_ALL_ACCESS);
// A folder path held in a REG_SZ or REG_EXPAND_SZ value (the latter with its
// %variables% expanded), or "". Logs nothing: an absent value is a folder
// this platform does not have.
std::string regGetPath(const std::string& keyPath, const std::string& valueName, HKEY root);
