#include "sysinfo/SysInfoProps.h"

VELMORA_CLASS_INFO(TSysInfoCategory) {}
