#include "app/Station.h"

CStation::CStation() = default;
CStation::~CStation() = default;
