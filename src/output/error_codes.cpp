#include "output/error_codes.h"

namespace scenario {

std::string_view error_code_meaning(int32_t code) {
  switch (code) {
    case 0:
      return "";
    case 1:
      return "route length above 1000000 m or below 0";
    case 2:
      return "kilometric progressive start or end not a multiple of 50";
    case 3:
      return "first signal-repetition value not a multiple of 50";
    case 4:
      return "second signal-repetition value not a multiple of 50";
    case 5:
      return "signal-repetition key holds neither 4 nor 9";
    case 6:
      return "text board cell already taken";
    case 7:
      return "abbattimento point cell already taken";
    case 8:
      return "station position not a multiple of 50";
    case 9:
      return "station length not a multiple of 100";
    case 10:
      return "station table full: too many stations for the board texts";
    case 11:
      return "no room for a point next to a signal before a slow-down warning board";
    case 12:
      return "no free cell for a point before a slow-down start";
    case 13:
      return "no room for a point inside a slow-down or before the first signal after it";
    case 15:
      return "object outside the route's cells (beyond its end or before its start)";
    case 16:
      return "signal cell already taken";
    case 17:
      return "slow-down warning board cell already taken";
    case 18:
      return "slow-down start cell already taken";
    case 19:
      return "slow-down end cell already taken";
    case 20:
      return "a cell just before a slow-down warning board already taken";
    case 21:
      return "speed indicator board cell already taken";
    case 22:
      return "station area starts less than 350 m after the previous station's area";
    case 24:
      return "station stop too close to the start of the route";
    case 25:
      return "source text could not be read (missing file, malformed number or value out of "
             "range)";
    case 26:
      return "more than 80 montagna ranges";
    case 101:
      return "line description file not found";
    case 102:
      return "no [generale] section in the line description";
    case 103:
      return "curve without a class 1 to 6, or line plan longer than 1000000 m";
    case 1250:
      return "reserved slot for the markers already taken (object in cell 1)";
    case 1251:
      return "reserved slot for the check codes already taken (object in cell 1)";
    default:
      return "unknown code";
  }
}

}  // namespace scenario
