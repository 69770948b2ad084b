#include "host/service/eSystemInfo.h"

eSystemInfo* eSystemInfo::getInstance()
{
    static eSystemInfo info;
    return &info;
}
