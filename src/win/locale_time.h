// The pieces of the user's long time format and the local time of day, read at the moment of
// the call, for the refresh address.
#pragma once

#include "time_text.h"

namespace win {

portal::LongTimeFormat ReadUserLongTimeFormat();
portal::TimeOfDay LocalTimeOfDay();

}  // namespace win
