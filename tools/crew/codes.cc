#include "crew/codes.h"

#include <array>

namespace scenario::crew {

namespace {

constexpr std::array<CrewCode, 16> kCodes{{
    {"card-absent", Severity::kNote, "no timetable card beside the sources",
     "The check looks for the timetable card beside the two sources and found none.",
     "Write one with `scenario-tool documents`, or ignore the note when the card is kept elsewhere."},
    {"card-missing-station", Severity::kWarning, "a station of the service has no row on the card",
     "Every station of the service description, timed or not, has a row on the card, in order.",
     "Add the station's row, or let `scenario-tool documents` write the card again."},
    {"card-extra-station", Severity::kWarning, "a card row with a stop time names no station",
     "A row with a stop time stands where the service description has no station (with only a "
     "passing time it is a note: a junction or a former station).",
     "Remove the row, or add the station to the service description."},
    {"card-name", Severity::kWarning, "the row at a station's post names another place",
     "The card row at the station's kilometre post gives another name than the service "
     "description.",
     "Write the name as the service description has it."},
    {"card-time", Severity::kWarning, "a station's arrival or departure differs from the service",
     "The times on the card row are not the station's times in the service description, or a "
     "station without a time has stop times on the card.",
     "Copy the times from the service description (hours and minutes)."},
    {"card-post", Severity::kWarning, "a station's post is more than 100 m off",
     "The kilometre post on the card is more than 100 m from the post of the station's position "
     "through the chainage zones of the line description.",
     "Write the post that `scenario-tool documents` gives for the station."},
    {"card-speed", Severity::kWarning, "a speed that is not the limit in force",
     "A speed on the card is not the limit in force within 100 m of its post, or the limit "
     "changes where no card row gives the new speed.",
     "Give each change of the limit its row, with the speed of the service description."},
    {"order-absent", Severity::kNote, "no slow-down order beside the sources",
     "The check looks for the slow-down order beside the two sources and found none.",
     "Write one with `scenario-tool documents`, or ignore the note when there is no slow-down."},
    {"order-unknown-slowdown", Severity::kWarning, "a slow-down that is not in the service",
     "A row of the order names a slow-down that the service description does not place.",
     "Remove the row, or add the \"rallentamento\" row to the service description."},
    {"order-missing-slowdown", Severity::kWarning, "a slow-down of the service with no row",
     "The service description places a slow-down that the order does not list.",
     "Add its row, or let `scenario-tool documents` write the order again."},
    {"order-speed", Severity::kWarning, "a slow-down's speed differs",
     "The order gives another speed than the slow-down's row.", "Write the row's speed."},
    {"order-length", Severity::kWarning, "a slow-down's length differs",
     "The order gives another length than the slow-down's row.", "Write the row's length."},
    {"order-stations", Severity::kWarning, "a slow-down's pair of stations differs",
     "The order names other stations than those on either side of the slow-down.",
     "Name the stations before and after the slow-down's position."},
    {"timetable-backwards", Severity::kWarning, "times go backwards",
     "A station is reached before the previous timed station is left.",
     "Put the times of the service description in order."},
    {"timetable-infeasible", Severity::kError, "a stretch cannot be run in its scheduled time",
     "Even at the speed limits all the way, the train needs longer for the stretch than the "
     "timetable gives it.",
     "Give the stretch more time, or raise the limits on it."},
    {"timetable-tight", Severity::kNote, "a stretch scheduled tighter than the estimate",
     "With acceleration and braking (0.5 m/s² unless --acceleration and --braking say otherwise) "
     "the stretch needs longer than scheduled.",
     "Give the stretch a minute more, or check the limits on it."},
}};

}  // namespace

std::span<const CrewCode> crew_codes() { return kCodes; }

const CrewCode* find_crew_code(std::string_view code) {
  for (const CrewCode& c : kCodes) {
    if (c.code == code) return &c;
  }
  return nullptr;
}

}  // namespace scenario::crew
