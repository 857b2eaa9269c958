// The seven process-wide loggers. They are defined together in Loggers.cpp
// so that they are constructed in this order before WinMain and destroyed in
// reverse order at exit.
#pragma once
#include "log/Logger.h"

extern ErrorLogger startLog;          // "Vantix": start and end lines
extern ErrorLogger runErrorLog;       // "Vantix": errors of the run
extern TraceLogger runTraceLog;       // "Vantix": steps of the run and clean-up
extern ErrorLogger utilErrorLog;      // "KmvdUtil"
extern TraceLogger utilTraceLog;      // "KmvdUtil"
extern ErrorLogger registryErrorLog;  // "RegistryIO:"
extern TraceLogger registryTraceLog;  // "RegistryIO:"
