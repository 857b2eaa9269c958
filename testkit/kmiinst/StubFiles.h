// Where the stand-in keeps its files: "kmiinst.cfg" (settings) and
// "kmiinst.calls" (one line per call) beside the DLL itself.
#pragma once
#include <windows.h>
#include <string>

void setStubModule(HMODULE module);
std::string stubFilePath(const char* fileName);

// Appends one line (a line feed is added). The file is opened and closed for
// every line, so the record survives a crash or a killed process.
void appendCallLine(const std::string& line);
