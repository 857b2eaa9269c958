// The seven process-wide loggers, defined in one unit so that they are built
// in this order during static initialisation and destroyed in reverse.
#include "log/Loggers.h"

ErrorLogger startLog("Vantix");
ErrorLogger runErrorLog("Vantix");
TraceLogger runTraceLog("Vantix");
ErrorLogger utilErrorLog("KmvdUtil");
TraceLogger utilTraceLog("KmvdUtil");
ErrorLogger registryErrorLog("RegistryIO:");
TraceLogger registryTraceLog("RegistryIO:");
