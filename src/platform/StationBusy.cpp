#include "platform/StationBusy.h"

#include "platform/Services.h"

int CStationBusy::depth = 0;

bool CStationBusy::IsBusy() {
    return depth > 0 || ClockWaiting();
}

bool CStationBusy::ClockWaiting() {
    return Clock().InsideWait();
}

CStationBusy::CScope::CScope() {
    ++depth;
}

CStationBusy::CScope::~CScope() {
    --depth;
}
