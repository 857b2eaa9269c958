// The registry unit: the registry operations of the clean-up. Each opens its
// key, does one job and closes it again. Key path first, then the value name
// and any other input, outputs, root last. Errors are written to
// registryErrorLog only where a function says so.
#pragma once
#include <windows.h>
#include <string>
#include "sysutil/TokenList.h"

// RegDeleteKeyA: one key. NT refuses a key with sub-keys; 9x removes the
// whole subtree. Returns the platform's result; logs nothing.
LONG regDeleteKey(const std::string& keyPath, HKEY root);
// Deletes one value; a missing key or value is passed over silently. A key
// that opens without a handle gets "Can't delete value: <keyPath>".
void regDeleteValue(const std::string& keyPath, const std::string& valueName, HKEY root);
// Deletes every value of the key (names gathered first, then deleted). An
// enumeration that fails before its end deletes nothing and gets "Can't
// remove registry values"; a key that does not open is passed over silently.
void regDeleteValues(const std::string& keyPath, HKEY root);
// True when the key opens with full access and the value's size can be read.
// Logs nothing.
bool regValueExists(const std::string& keyPath, const std::string& valueName, HKEY root);
// Reads a REG_SZ value. result is always assigned ("" on failure); a failure
// (no key, no value, another type) writes one three-line entry, "Can't get
// registry value:\nkey=<keyPath>\nvalue=<valueName>".
bool regGetString(const std::string& keyPath, const std::string& valueName, std::string& result,
                  HKEY root);
// The names of the key's sub-keys, in enumeration order (name buffer of 260
// characters). False, with no names, when the key does not open with the
// access asked for (full access for a key about to be emptied, read access
// for one only looked at). Logs nothing.
bool regGetSubkeys(const std::string& keyPath, REGSAM access, TokenList& names, HKEY root);
// The names of the key's values, in enumeration order (as regDeleteValues
// gathers them). False, with no names, when the key does not open for
// reading or its enumeration fails before its end. Logs nothing.
bool regGetValueNames(const std::string& keyPath, TokenList& names, HKEY root);
// A folder path held in a REG_SZ or REG_EXPAND_SZ value (the latter with its
// %variables% expanded), or "". Logs nothing: an absent value is a folder
// this platform does not have.
std::string regGetPath(const std::string& keyPath, const std::string& valueName, HKEY root);
