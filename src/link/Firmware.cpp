#include "link/Firmware.h"

bool HasPoint5 = false;
bool HasTenPoints = false;
int AddressCount = 24;
