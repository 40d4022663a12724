#include "explanations.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace scenario::tool {

namespace {

using P = ExamplePlace;

// Rows that several examples share.
#define SIGNAL_ROW(pos) "segnale, " pos ", 2, 2, 3, 0, 0, 2, 2, 1, 0, 0"
#define STATION_ROW(pos, length, name) \
  "stazione, " pos ", 4, " length ", 0, 0, 0, 0, 0, 0, 5, 1, 1, 60, 7, 4, 0, " name
#define SLOW_DOWN_ROW(pos, length, advance) "rallentamento, " pos ", 40, " length ", 0, " advance ", 40"

std::vector<Explanation> make_explanations() {
  return {
      {"E1", false, "route length above 1,000,000 m",
       "The \"lunghezza percorso\" entry of the line description gives a route longer than "
       "1,000,000 m. The route is not sized, nothing after the entry is read, and there is "
       "nothing to write.",
       {},
       {P::kLineGeneral, "lunghezza percorso, 1200000"},
       ExampleRow{P::kLineGeneral, "lunghezza percorso, 36000"},
       "Give the length in metres, at most 1000000."},
      {"E2", false, "a kilometre-post zone's start or offset is not a multiple of 50",
       "One of the \"progressiva chilometrica\" entries of the line description has a start or "
       "an offset that is not a whole number of 50 m cells. The check is made after the service "
       "description has been read, so the files are read to their end first.",
       {},
       {P::kLineGeneral, "progressiva chilometrica uno, 0, 36020, 1"},
       ExampleRow{P::kLineGeneral, "progressiva chilometrica uno, 0, 36000, 1"},
       "Round the start and the offset to a multiple of 50."},
      {"E3", false, "signal-repetition start is not a multiple of 50",
       "The first value of the \"ripetizione segnali\" entry, where the cab repeats the signals "
       "from, is not a multiple of 50. Reading stops there.",
       {},
       {P::kLineGeneral, "ripetizione segnali 4 codici, 1020, 30000"},
       ExampleRow{P::kLineGeneral, "ripetizione segnali 4 codici, 1000, 30000"},
       "Round the start to a multiple of 50."},
      {"E4", false, "signal-repetition end is not a multiple of 50",
       "The second value of the \"ripetizione segnali\" entry, where the repetition ends, is not "
       "a multiple of 50. Reading stops there.",
       {},
       {P::kLineGeneral, "ripetizione segnali 4 codici, 1000, 30010"},
       ExampleRow{P::kLineGeneral, "ripetizione segnali 4 codici, 1000, 30000"},
       "Round the end to a multiple of 50; an end of 0 turns the repetition off."},
      {"E5", false, "the signal-repetition entry names neither 4 nor 9 codes",
       "The keyword field of the \"ripetizione segnali\" entry must hold the digit 4 or the "
       "digit 9, the number of codes the cab repeats. It holds neither. Reading stops there.",
       {},
       {P::kLineGeneral, "ripetizione segnali codici, 1000, 30000"},
       ExampleRow{P::kLineGeneral, "ripetizione segnali 4 codici, 1000, 30000"},
       "Write \"ripetizione segnali 4 codici\" or \"ripetizione segnali 9 codici\"."},
      {"E6", false, "text board on a taken cell",
       "A \"cartello_indicatore\" entry puts its board in the cell after the cell of its "
       "position, and that cell already holds another object (a speed indicator board, another "
       "text board). A cell holds one object; only a tunnel marker may be replaced. Reading "
       "stops there.",
       {{P::kLineLists, "indicatori_vmax, 2000, 90, 95, 95, 2, , , , 0"}},
       {P::kLineLists, "cartello_indicatore, 2000, (STAZIONE)(NORD    )"},
       ExampleRow{P::kLineLists, "cartello_indicatore, 2200, (STAZIONE)(NORD    )"},
       "Move one of the two objects to a position at least 50 m away from the other."},
      {"E7", false, "abbattimento on a taken cell",
       "An \"abbattimento\" entry goes in the cell of its position (with no cell added), and "
       "that cell already holds an object, here the signal written before it. Reading stops "
       "there.",
       {{P::kService, SIGNAL_ROW("2950")}},
       {P::kService, "abbattimento, 3000, 60"},
       ExampleRow{P::kService, "abbattimento, 3100, 60"},
       "Move the speed-board point to a free cell, 50 m or more from the other object's "
       "cell."},
      {"E8", false, "station position is not a multiple of 50",
       "The first value of a \"stazione\" entry, the station's position, is not a multiple "
       "of 50. Reading stops there.",
       {},
       {P::kService, STATION_ROW("1025", "400", "NORD")},
       ExampleRow{P::kService, STATION_ROW("1000", "400", "NORD")},
       "Round the position to a multiple of 50."},
      {"E9", false, "station length is not a multiple of 100",
       "The third value of a \"stazione\" entry, the length of its stop area, is not a "
       "multiple of 100. Reading stops there.",
       {},
       {P::kService, STATION_ROW("1000", "450", "NORD")},
       ExampleRow{P::kService, STATION_ROW("1000", "400", "NORD")},
       "Round the length to a multiple of 100."},
      {"E10", false, "the station rows reach the text-board rows",
       "Stations fill the scenario table from row 1 up, the line's text boards from row 80 "
       "down; with k text boards at most 78 - k stations fit. This station is one too many. "
       "Reading stops there.",
       {{P::kLineLists, "cartello_indicatore, {p}, (BIVIO)", 77},
        {P::kService, STATION_ROW("20000", "400", "NORD")}},
       {P::kService, STATION_ROW("21000", "400", "SUD")},
       std::nullopt,
       "Remove text boards or stations until the stations and the boards together are at "
       "most 78."},
      {"E11", false, "no free cell for the speed board before a signal in front of a slow-down warning board",
       "After reading, the compile puts a 180 km/h speed board in the cell before every signal "
       "that stands within 1 km in front of a slow-down warning board, or in the cell before "
       "that. Here both cells before the signal are taken (by two other signals), so the board "
       "cannot be placed. The rules go on to the end of the route.",
       {{P::kService, SLOW_DOWN_ROW("5000", "300", "0")},
        {P::kService, SIGNAL_ROW("3350")},
        {P::kService, SIGNAL_ROW("3400")}},
       {P::kService, SIGNAL_ROW("3450")},
       ExampleRow{P::kService, SIGNAL_ROW("3550")},
       "Leave one of the two cells (100 m) before such a signal free."},
      {"E12", false, "no free cell for a speed board in front of a slow-down start",
       "After reading, the compile puts three 180 km/h speed boards in front of every "
       "slow-down start, each in the first free cell of a window of three: 250 to 350 m, 550 to "
       "650 m and 900 to 1000 m before it. Here the three cells of one window are all taken "
       "(by signals). The other windows still get their board.",
       {{P::kService, SIGNAL_ROW("4650")},
        {P::kService, SIGNAL_ROW("4700")},
        {P::kService, SIGNAL_ROW("4750")}},
       {P::kService, SLOW_DOWN_ROW("5000", "300", "0")},
       ExampleRow{P::kService, SLOW_DOWN_ROW("5500", "300", "0")},
       "Move the slow-down, or the objects in front of it, so that each window keeps a free "
       "cell."},
      {"E13", false, "no free cell for a speed board in a slow stretch or before the signal after it",
       "After reading, the compile puts a 180 km/h speed board every 400 m through a slow-down "
       "below 110 km/h (in the cell due, or the one before or after it), and one before the "
       "first signal within 600 m after the slow-down's end. Here the cell due and both its "
       "neighbours are taken (by three signals). The rules go on to the end of the route.",
       {{P::kService, SIGNAL_ROW("5350")},
        {P::kService, SIGNAL_ROW("5400")},
        {P::kService, SIGNAL_ROW("5450")}},
       {P::kService, SLOW_DOWN_ROW("5000", "1000", "0")},
       ExampleRow{P::kService, SLOW_DOWN_ROW("5000", "300", "0")},
       "Leave room inside the slow stretch: no three taken cells in a row where a board is "
       "due, and a free cell just before the first signal after it."},
      {"E15", false, "a position beyond the end of the route",
       "The row's first position lies too close to the end of the route or beyond it: it may "
       "be at most 50 P - 100, where P is the last cell of the route (route length + 7000 m, in "
       "cells of 50 m); for a station, its position + 800 m must stay within the route. The "
       "rest of the file is skipped; after a row of the line description the service "
       "description is still read.",
       {},
       {P::kLineLists, "pendenza, 43000, 0"},
       ExampleRow{P::kLineLists, "pendenza, 35000, 0"},
       "Check the position against the route length of the line description, or lengthen the "
       "route."},
      {"E16", false, "signal on a taken cell",
       "A \"segnale\" entry puts its signal in the cell after the cell of its position, and "
       "that cell already holds an object (here a speed-board point). Reading stops there.",
       {{P::kService, "abbattimento, 2750, 60"}},
       {P::kService, SIGNAL_ROW("2700")},
       ExampleRow{P::kService, SIGNAL_ROW("2800")},
       "Move the signal or the other object so that they fall in different cells (50 m "
       "apart)."},
      {"E17", false, "slow-down warning cell is taken",
       "A slow-down that starts beyond 1500 m has a warning board 1200 m before its start, and "
       "that cell already holds an object (here a signal). Reading stops there.",
       {{P::kService, SIGNAL_ROW("3800")}},
       {P::kService, SLOW_DOWN_ROW("5000", "300", "0")},
       ExampleRow{P::kService, SLOW_DOWN_ROW("5200", "300", "0")},
       "Move the slow-down or the object 1200 m before it."},
      {"E18", false, "slow-down start cell is taken",
       "The cell after the cell of the slow-down's position, where its start mark goes, "
       "already holds an object (here a signal). Reading stops there.",
       {{P::kService, SIGNAL_ROW("5000")}},
       {P::kService, SLOW_DOWN_ROW("5000", "300", "0")},
       ExampleRow{P::kService, SLOW_DOWN_ROW("5100", "300", "0")},
       "Move the slow-down's start or the object on it."},
      {"E19", false, "slow-down end cell is taken",
       "The cell of the slow-down's end (its position plus its length, one cell on), where its "
       "end mark goes, already holds an object (here a signal). Reading stops there.",
       {{P::kService, SIGNAL_ROW("5300")}},
       {P::kService, SLOW_DOWN_ROW("5000", "300", "0")},
       ExampleRow{P::kService, SLOW_DOWN_ROW("5000", "400", "0")},
       "Change the slow-down's length, or move the object at its end."},
      {"E20", false, "one of the four cells before a slow-down warning board is taken",
       "When the fifth value of a slow-down (f_ta) is not 0, the four cells before its warning "
       "board get advance marks; one of them already holds an object (here a signal). The "
       "start, end and warning marks are already placed. Reading stops there.",
       {{P::kService, SIGNAL_ROW("3700")}},
       {P::kService, SLOW_DOWN_ROW("5000", "300", "1")},
       ExampleRow{P::kService, SLOW_DOWN_ROW("5400", "300", "1")},
       "Keep the 200 m before the warning board (1200 m before the start) free, or set f_ta "
       "to 0."},
      {"E21", false, "maximum-speed board on a taken cell",
       "An \"indicatori_vmax\" entry puts its board in the cell after the cell of its "
       "position, and that cell already holds an object (here a text board). Reading stops "
       "there.",
       {{P::kLineLists, "cartello_indicatore, 2000, (STAZIONE)(NORD    )"}},
       {P::kLineLists, "indicatori_vmax, 2000, 90, 95, 95, 2, , , , 0"},
       ExampleRow{P::kLineLists, "indicatori_vmax, 2200, 90, 95, 95, 2, , , , 0"},
       "Move one of the two boards to a position at least 50 m away from the other."},
      {"E22", false, "a stop area starts less than 350 m after the previous one ends",
       "Stations must come in ascending position, each stop area starting at least 350 m after "
       "the previous station's stop area ends. Here the first station's area ends at 1200 m "
       "and the second one's starts at 1300 m. Reading stops there.",
       {{P::kService, STATION_ROW("1000", "400", "NORD")}},
       {P::kService, STATION_ROW("1500", "400", "SUD")},
       ExampleRow{P::kService, STATION_ROW("1800", "400", "SUD")},
       "Move the station further on, shorten a stop area, or put the rows in ascending "
       "order."},
      {"E24", false, "the stop point would fall in cell 1 or before",
       "A station's stop point goes in the cell before the end of its stop area; it must lie "
       "beyond cell 1 (beyond 100 m). Reading stops there.",
       {},
       {P::kService, STATION_ROW("0", "100", "NORD")},
       ExampleRow{P::kService, STATION_ROW("500", "400", "NORD")},
       "Place the first station further from the start of the route."},
      {"E25", false, "a value that cannot be read or placed",
       "A value of the row cannot be used: it is not a whole number (a decimal point, a "
       "letter), it is too large for its field (most fields take 32 bits; one-byte station "
       "fields 0 to 255, two-byte fields -32768 to 32767), the row is cut short by the end of "
       "the file, a position is negative, the line description gives no route length, there "
       "are more than 80 tunnels or 81 text boards, a curve runs past the end of the track "
       "plan, or the service description does not exist or is empty. Reading stops there; the "
       "message names the value and the reason.",
       {},
       {P::kService, "sabbia, 70000"},
       ExampleRow{P::kService, "sabbia, 0"},
       "Write the value as a whole number within its field's range, and finish the row."},
      {"E101", false, "the line description does not exist",
       "There is no file named LINE_linea.txt (the line name, an underscore, \"linea.txt\") "
       "in the folder. Nothing is read and nothing is written.",
       {},
       {P::kLineFileName, "Nord-linea.txt"},
       ExampleRow{P::kLineFileName, "Nord_linea.txt"},
       "Check the folder, the line name and the file's name: an underscore before "
       "\"linea.txt\"."},
      {"E102", false, "no [generale] in the line description",
       "The line description is read from its \"[generale]\" field on; the file has none "
       "(here the header is misspelt), so nothing of it is read.",
       {},
       {P::kLineHeader, "[general]"},
       ExampleRow{P::kLineHeader, "[generale]"},
       "Begin the file with the line \"[generale]\"."},
      {"E103", false, "a curve keyword without a class digit, or the track plan passing point 1,000,000",
       "A curve keyword names its class with a digit 1 to 6 and its hand with a letter "
       "(\"curvad4\": class 4, right hand; \"curvas3\": class 3, left hand). This one has no "
       "digit. The same fault is reported when the track plan would pass point 1,000,000. "
       "Reading stops there.",
       {},
       {P::kLineLists, "curvad, 2000, 600"},
       ExampleRow{P::kLineLists, "curvad3, 2000, 600"},
       "Add the class digit to the keyword."},
      {"unknown-keyword", true, "a field that matches no keyword",
       "A field where a keyword is expected holds no keyword and is not a section header. The "
       "compile passes over such a field without a word, and the values after it are read as "
       "keyword fields that match nothing, so a misspelt keyword drops its whole row. The "
       "warning names a near keyword when there is one.",
       {},
       {P::kService, "velocia, 800, 110"},
       ExampleRow{P::kService, "velocita, 800, 110"},
       "Correct the keyword (see the tables of keywords in the format documents)."},
      {"leftover-values", true, "values left over on a row",
       "The row holds more fields than its keyword takes. The extra fields are read as keyword "
       "fields and dropped: a decimal comma (\"112,5\" reads as 112, then 5), or a name with "
       "an unquoted comma (only the part before the comma is kept).",
       {},
       {P::kService, "velocita, 800, 112,5"},
       ExampleRow{P::kService, "velocita, 800, 110"},
       "Write whole numbers, and quote a text that holds a comma: \"PORTO, CENTRALE\"."},
      {"no-general-section", true, "no [generale] in the file",
       "Reading starts at the field \"[generale]\". The service description has none, so "
       "nothing of it is read: the scenario gets no stations, speed 0 and adhesion 0.",
       {},
       {P::kServiceHeader, "[general]"},
       ExampleRow{P::kServiceHeader, "[generale]"},
       "Begin the file with the line \"[generale]\"."},
      {"lists-never-start", true, "the general section is never closed",
       "The general section of the line description ends at the first field that holds both "
       "\"[\" and \"]\". Here the header that should close it is written without brackets, so "
       "the list entries after it are read as general entries, which they do not match: the "
       "curves, gradients, tunnels and boards are dropped.",
       {},
       {P::kListsHeader, "curve"},
       ExampleRow{P::kListsHeader, "[curve]"},
       "Close the general section with a header in brackets, such as \"[curve]\"."},
      {"position-backwards", true, "a position before the previous row's",
       "Gradient, speed and adhesion rows, curves and stations take effect in the order of "
       "the rows: each fills the cells from where the previous one stopped. A row whose "
       "position lies before the previous row's squeezes a whole stretch into one cell.",
       {{P::kLineLists, "pendenza, 20000, 5"}},
       {P::kLineLists, "pendenza, 7000, 0"},
       ExampleRow{P::kLineLists, "pendenza, 25000, 0"},
       "Write these rows in ascending position."},
      {"tunnel-reversed", true, "a tunnel whose end is not after its start",
       "A \"montagna\" entry takes its start, then its end. Written end first, the tunnel marks "
       "no cell at all.",
       {},
       {P::kLineLists, "montagna, 3800, 3000, 11"},
       ExampleRow{P::kLineLists, "montagna, 3000, 3800, 11"},
       "Give the start first, then the end."},
      {"utf8-text", true, "text in UTF-8",
       "The compiler copies texts byte for byte; the simulator reads them as Windows-1252. "
       "This text is not valid Windows-1252 but is valid UTF-8, so a name such as CITT\xC3\x80 "
       "would show as CITT\xC3\x83\xE2\x82\xAC.",
       {},
       {P::kService, STATION_ROW("20000", "400", "CITT\xC3\x80")},
       ExampleRow{P::kService, STATION_ROW("20000", "400", "CITT\xC3\x80"), 1, true},
       "Save the file in Windows-1252."},
      {"overwritten-object", true, "a station's marks overwrite an earlier object",
       "A station's stop point, and its four approach marks, are written whatever the cell "
       "held. Here the stop point of the station falls on the cell of the signal written "
       "before it, which is lost.",
       {{P::kService, SIGNAL_ROW("1100")}},
       {P::kService, STATION_ROW("1000", "400", "NORD")},
       ExampleRow{P::kService, STATION_ROW("3000", "400", "NORD")},
       "Move the station or the object so that the stop point (the cell before the end of "
       "the stop area) and the four cells before it are free."},
      {"keyword-case", true, "a keyword in a case the reader does not accept",
       "The kilometre-post, background and signal-repetition keywords of the general section "
       "must be written in lower case; the other keywords may be written in any case. This one "
       "is in capitals and is passed over.",
       {},
       {P::kLineGeneral, "PROGRESSIVA CHILOMETRICA UNO, 0, 36000, 1"},
       ExampleRow{P::kLineGeneral, "progressiva chilometrica uno, 0, 36000, 1"},
       "Write the keyword in lower case."},
  };
}

#undef SIGNAL_ROW
#undef STATION_ROW
#undef SLOW_DOWN_ROW

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

const char* place_name(ExamplePlace place) {
  switch (place) {
    case ExamplePlace::kLineGeneral: return "line description, general section";
    case ExamplePlace::kLineLists: return "line description, lists";
    case ExamplePlace::kService: return "service description";
    case ExamplePlace::kLineHeader: return "line description, first line";
    case ExamplePlace::kServiceHeader: return "service description, first line";
    case ExamplePlace::kListsHeader: return "line description, the header after the general section";
    case ExamplePlace::kLineFileName: return "name of the line description file, line Nord";
  }
  return "";
}

// Breaks `text` into lines of at most `width` characters (UTF-8 sequences
// counted as one), each starting with `indent`.
std::string wrap(std::string_view text, const std::string& indent, size_t width = 76) {
  std::string out, line;
  size_t line_width = 0;
  std::istringstream words{std::string(text)};
  std::string word;
  auto width_of = [](const std::string& w) {
    size_t n = 0;
    for (char c : w) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
  };
  while (words >> word) {
    const size_t w = width_of(word);
    if (!line.empty() && indent.size() + line_width + 1 + w > width) {
      out += indent + line + "\n";
      line.clear();
      line_width = 0;
    }
    if (!line.empty()) {
      line += ' ';
      ++line_width;
    }
    line += word;
    line_width += w;
  }
  if (!line.empty()) out += indent + line + "\n";
  return out;
}

// The context rows and the row itself, each run of rows under the name of
// the place where it stands; a long run of repeated rows is shortened.
std::string snippet(const Explanation& e, const ExampleRow& row, const std::string& indent) {
  std::vector<const ExampleRow*> rows;
  for (const auto& c : e.context) rows.push_back(&c);
  rows.push_back(&row);
  std::string out;
  const ExampleRow* previous = nullptr;
  for (const ExampleRow* r : rows) {
    if (!previous || previous->place != r->place ||
        previous->in_windows_1252 != r->in_windows_1252) {
      out += indent + "(" + place_name(r->place) +
             (r->in_windows_1252 ? ", saved in Windows-1252" : "") + ")\n";
    }
    const auto lines = expand_row(*r);
    if (lines.size() > 3) {
      out += indent + "  " + lines.front() + "\n";
      out += indent + "  ... " + std::to_string(lines.size() - 2) + " more rows like it ...\n";
      out += indent + "  " + lines.back() + "\n";
    } else {
      for (const auto& l : lines) out += indent + "  " + l + "\n";
    }
    previous = r;
  }
  return out;
}

// The body shared by the tool's text and the documents: indented blocks in
// both, so that Markdown shows the rows as code.
std::string body(const Explanation& e, bool markdown) {
  std::string out;
  const std::string text_indent = markdown ? "" : "  ";
  out += wrap(e.meaning, text_indent);
  out += "\n";
  out += markdown ? "Wrong:\n\n" : "Wrong:\n";
  out += snippet(e, e.wrong, "    ");
  out += "\n";
  if (e.right) {
    out += markdown ? "Right:\n\n" : "Right:\n";
    out += snippet(e, *e.right, "    ");
    out += "\n";
  }
  out += markdown ? "How to fix it:\n\n" : "How to fix it:\n";
  out += wrap(e.fix, text_indent);
  return out;
}

}  // namespace

const std::vector<Explanation>& explanations() {
  static const std::vector<Explanation> all = make_explanations();
  return all;
}

const Explanation* find_explanation(std::string_view code) {
  std::string wanted = lower(code);
  if (!wanted.empty() && std::isdigit(static_cast<unsigned char>(wanted[0]))) {
    wanted = "e" + wanted;
  }
  for (const auto& e : explanations()) {
    if (lower(e.code) == wanted) return &e;
  }
  return nullptr;
}

std::vector<std::string> expand_row(const ExampleRow& row) {
  std::vector<std::string> lines;
  const std::string text(row.text);
  const size_t hole = text.find("{p}");
  for (int k = 0; k < row.repeat; ++k) {
    if (hole == std::string::npos) {
      lines.push_back(text);
    } else {
      lines.push_back(text.substr(0, hole) + std::to_string(1000 + 100 * k) +
                      text.substr(hole + 3));
    }
  }
  return lines;
}

std::string explanation_text(const Explanation& e) {
  std::string out;
  out += std::string(e.code) + " (" + (e.warning ? "warning" : "error") + "): " +
         std::string(e.title) + "\n\n";
  out += body(e, false);
  if (e.warning) {
    out += "\n" + wrap("--allow " + std::string(e.code) +
                       " silences this warning; --Werror makes every warning an error.",
                       "  ");
  }
  return out;
}

std::string crew_code_text(const crew::CrewCode& c) {
  const char* severity = c.severity == Severity::kError     ? "error"
                         : c.severity == Severity::kWarning ? "warning"
                                                            : "note";
  std::string out = std::string(c.code) + " (" + severity + ", crew documents): " +
                    std::string(c.title) + "\n\n";
  out += wrap(c.meaning, "  ");
  out += "\nHow to fix it:\n" + wrap(c.fix, "  ");
  if (c.severity == Severity::kWarning) {
    out += "\n" + wrap("--allow " + std::string(c.code) +
                       " silences this warning in check; --Werror makes every warning an error.",
                       "  ");
  }
  return out;
}

std::string explanation_list() {
  std::string out;
  size_t width = 20;  // the longest code and two blanks
  for (const auto& e : explanations()) width = std::max(width, e.code.size() + 2);
  for (const auto& c : crew::crew_codes()) width = std::max(width, c.code.size() + 2);
  auto line = [&out, width](std::string_view c, const char* severity, std::string_view title) {
    std::string code(c);
    code.resize(width, ' ');
    out += code + severity + std::string(title) + "\n";
  };
  for (const auto& e : explanations()) line(e.code, e.warning ? "warning  " : "error    ", e.title);
  for (const auto& c : crew::crew_codes()) {
    line(c.code,
         c.severity == Severity::kError     ? "error    "
         : c.severity == Severity::kWarning ? "warning  "
                                            : "note     ",
         c.title);
  }
  return out;
}

std::string reference_markdown() {
  std::string out;
  out += std::string(kReferenceMarker) + "\n";
  out += "\n## Faults\n";
  bool warnings = false;
  for (const auto& e : explanations()) {
    if (e.warning && !warnings) {
      out += "\n## Warnings\n\n";
      out += "A warning changes no byte of the output and no fault number. `--allow CODE`\n"
             "silences one; `--Werror` makes every warning an error.\n";
      warnings = true;
    }
    out += "\n### " + std::string(e.code) + ": " + std::string(e.title) + "\n\n";
    out += body(e, true);
  }
  return out;
}

}  // namespace scenario::tool
