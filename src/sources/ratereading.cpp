#include "sources/ratereading.h"

RateReading& SharedRateReading() {
    static RateReading reading;
    return reading;
}
