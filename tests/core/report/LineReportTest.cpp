#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "record/RecordColumns.h"
#include "report/LineReport.h"
#include "tests/core/record/RecordTestSupport.h"
#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

const std::string kHeader = std::string("\xEF\xBB\xBF") + kRecordHeader + ",lot,simulated";

// One line of the read/write test: a slot's verdict.
std::string Test(const std::string& time, int run, char slot, const std::string& result, const std::string& sim = "") {
    const std::string verdict = result == "pass" ? "Test success." : result == "fail" ? "Compare failure!" : "Test stop";
    return time + ",PC,v1.00,Write/Read Test," + std::to_string(run) + ",Chip," + slot + ":,Reader," + verdict + "," +
           result + ",16,20.0,30.0,1.0,,,,,UTC+01:00,,x-1,LOT," + sim;
}

std::string Eeprom(const std::string& time, int run, const std::string& serial) {
    return time + ",PC,v1.00,Write EEPROM," + std::to_string(run) + ",Chip,E:,Reader,Write EEPROM success.,pass,,,,,"
           "0x2E10,0x0781," + serial + ",0,UTC+01:00,,x-1,LOT,";
}

// A GO over the four slots that fails at `failAt` (0: none fails).
std::vector<std::string> Go(const std::string& time, int run, char failAt = 0) {
    std::vector<std::string> lines;
    for (char slot = 'E'; slot <= 'H'; ++slot) {
        lines.push_back(Test(time, run, slot, slot == failAt ? "fail" : "pass"));
        if (slot == failAt) break;
    }
    return lines;
}

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> lines;
    for (auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
    return lines;
}

// Whether every element the page opens is closed in order.
bool WellFormed(const std::string& page) {
    std::vector<std::string> open;
    for (std::size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
        const std::size_t end = page.find('>', at);
        if (end == std::string::npos) return false;
        const std::string tag = page.substr(at + 1, end - at - 1);
        if (tag.empty() || tag[0] == '!' || tag.back() == '/') continue;
        const std::string name = tag.substr(tag[0] == '/' ? 1 : 0, tag.find_first_of(" ") - (tag[0] == '/' ? 1 : 0));
        if (tag[0] != '/') open.push_back(name);
        else if (open.empty() || open.back() != name) return false;
        else open.pop_back();
    }
    return open.empty();
}

struct ReportCase {
    const char* name;
    std::map<std::string, std::vector<std::string>> files;  // name: lines after the header
    std::string from, to, shifts;
    bool simulated;
    int status;
    std::vector<std::string> shown;
    std::vector<std::string> notShown;
};

std::string YieldRow(const std::string& station, const std::string& period, const std::string& counts) {
    return "<tr><th>" + station + "</th><td>" + period + "</td>" + counts + "</tr>";
}

const std::vector<ReportCase>& Cases() {
    static const std::vector<ReportCase> cases = {
        {"a night shift spans two daily files, whose run numbers both start at 1",
         {{"Talven-2026-12-07-PC-1.csv", Join({Go("2026-12-07 13:59:00", 1), Go("2026-12-07 22:30:00", 2)})},
          {"Talven-2026-12-08-PC-1.csv", Join({Go("2026-12-08 01:00:00", 1, 'F'), Go("2026-12-08 06:10:00", 2)})}},
         "2026-12-07", "2026-12-07", "06:00,14:00,22:00", false, kReportWritten,
         {YieldRow("PC-1", "2026-12-07 22:00-06:00", "<td>2</td><td>1</td><td>1</td><td>0</td><td>50.0 %</td>"),
          YieldRow("PC-1", "2026-12-07 06:00-14:00", "<td>1</td><td>1</td><td>0</td><td>0</td><td>100.0 %</td>")},
         {"2026-12-08 06:00-14:00"}},
        {"bad lines are named by file and line; older files with fewer columns are read; files out of range are not",
         {{"Talven-2026-12-07-PC-1.csv",
           Join({Go("2026-12-07 08:00:00", 1), {"garbage", Test("2026-12-07 08:05:00", 2, 'E', "maybe"),
                                                std::string("2026-12-07 08:06:00,PC\0,v1", 22)},
                 {Test("2026-12-07 08:07:00", 3, 'E', "stop")}})},
          {"Talven-2026-12-08-PC-1.csv", {}},
          {"Talven-2026-11-01-PC-1.csv", {"garbage", "garbage"}}},
         "2026-12-07", "2026-12-08", "", false, kReportWritten,
         {"Lines that could not be read: 3, in files: 1.", "<tr><th>Talven-2026-12-07-PC-1.csv</th><td>7</td>",
          "<td>result &quot;maybe&quot; is none the record writes</td>",
          YieldRow("PC-1", "2026-12-07", "<td>1</td><td>1</td><td>0</td><td>1</td><td>100.0 %</td>")},
         {"2026-11-01"}},
        {"two stations write one serial: red, with both places",
         {{"Talven-2026-12-07-PC-1.csv", {Eeprom("2026-12-07 09:00:00", 1, "TV000001"),
                                          Eeprom("2026-12-07 09:01:00", 2, "TV000002")}},
          {"Talven-2026-12-07-PC-2.csv", {Eeprom("2026-12-07 10:00:00", 1, "#TV000002"), Go("2026-12-07 10:02:00", 2, 'G')[2]}}},
         "", "2026-12-07", "", false, kReportWritten,
         {"Serials written more than once: 1.",
          "<tr class=\"bad\"><th>TV000002</th><td>2</td><td>PC-1 2026-12-07 09:01; PC-2 2026-12-07 10:00</td></tr>",
          "<th>TV######</th><td>3</td><td>TV000002</td><td>PC-1 TV000002, PC-2 TV000002</td>",
          YieldRow("PC-2", "2026-12-07", "<td>1</td><td>0</td><td>1</td><td>0</td><td>0.0 %</td>")},
         {"TV000001</th>"}},
        {"a slot position far above the other three is named with what it likely means",
         {{"Talven-2026-12-07-PC-7.csv",
           Join({Go("2026-12-07 07:00:00", 1, 'F'), Go("2026-12-07 07:01:00", 2, 'F'), Go("2026-12-07 07:02:00", 3),
                 Go("2026-12-07 07:03:00", 4, 'F'), Go("2026-12-07 07:04:00", 5, 'F'), Go("2026-12-07 07:05:00", 6, 'F'),
                 Go("2026-12-07 07:06:00", 7, 'H'), Go("2026-12-07 07:07:00", 8, 'F')})}},
         "2026-12-01", "2026-12-07", "", false, kReportWritten,
         {"station PC-7, slot F: 6 of 8 readers failed here, 1 of 8 in the other slots: check the test card in slot F",
          "<tr class=\"total\"><th>All</th><td>8</td><td>0</td><td>6</td><td>0</td><td>1</td></tr>"},
         {"slot H: "}},
        {"the trainer's files and lines are left out unless asked for, and then only they count",
         {{"TalvenSim-2026-12-07-PC-1.csv", Go("2026-12-07 07:00:00", 1)},
          {"Talven-2026-12-07-PC-2.csv", {Test("2026-12-07 07:00:00", 1, 'E', "pass", "yes")}}},
         "2026-12-07", "2026-12-07", "", false, kReportNoRecord, {"The folder holds no record in this range."}, {"PC-1"}},
        {"the trainer's records on their own",
         {{"TalvenSim-2026-12-07-PC-1.csv", Go("2026-12-07 07:00:00", 1)}},
         "2026-12-07", "2026-12-07", "", true, kReportWritten,
         {YieldRow("PC-1", "2026-12-07", "<td>1</td><td>1</td><td>0</td><td>0</td><td>100.0 %</td>")}, {}},
    };
    return cases;
}

TEST(LineReport, CountsAndShowsTheRecordOfAFolder) {
    std::unique_ptr<Platform> platform = test::MakeBuildPlatform();
    for (const ReportCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        for (const auto& [name, lines] : c.files) {
            std::ofstream file(folder.path / name, std::ios::binary);
            file << kHeader << "\r\n";
            for (const std::string& line : lines) file << line << "\r\n";
        }
        ReportOptions options{folder.path.string(), c.from, c.to, {}, c.simulated, (folder.path / "r.html").string()};
        if (!c.shifts.empty()) options.shiftStartMinutes = {6 * 60, 14 * 60, 22 * 60};
        std::string message;
        EXPECT_EQ(WriteLineReport(*platform, options, {2026, 12, 7, 12, 0, 0, 60}, message), c.status) << message;
        const std::string page = test::ReadWhole(options.out);
        EXPECT_TRUE(WellFormed(page));
        EXPECT_FALSE(std::filesystem::exists(options.out + ".tmp"));
        for (const std::string& shown : c.shown) EXPECT_NE(page.find(shown), std::string::npos) << shown;
        for (const std::string& hidden : c.notShown) EXPECT_EQ(page.find(hidden), std::string::npos) << hidden;
    }
}

TEST(LineReport, RefusesDatesAndFoldersItCannotUse) {
    std::unique_ptr<Platform> platform = test::MakeBuildPlatform();
    test::TempFolder folder;
    std::string message;
    const LocalTime now{2026, 12, 7, 12, 0, 0, 60};
    for (const auto& [from, to] : {std::pair{"2026-02-30", ""}, {"2026-12-08", "2026-12-07"}, {"", "07.12.2026"}})
        EXPECT_EQ(WriteLineReport(*platform, {folder.path.string(), from, to, {}, false, ""}, now, message),
                  kReportUsage) << from << to;
    EXPECT_EQ(WriteLineReport(*platform, {(folder.path / "none").string(), "", "", {}, false, ""}, now, message),
              kReportUsage);
    EXPECT_EQ(WriteLineReport(*platform, {folder.path.string(), "", "", {}, false, ""}, now, message), kReportNoRecord);
    EXPECT_TRUE(std::filesystem::exists(folder.path / "Talven-report.html"));
}

TEST(SlotSuspicion, FarAboveTheOthersOrInARow) {
    EXPECT_TRUE(SlotFarAbove(41, 2, 3));
    EXPECT_FALSE(SlotFarAbove(12, 29, 3));  // every slot fails now and then
    EXPECT_FALSE(SlotFarAbove(4, 0, 3));    // too few to tell
    SlotStreaks streaks;
    for (int i = 0; i < 3; ++i) streaks.Failed('F');
    streaks.Passed('E');
    EXPECT_TRUE(SlotSuspect(streaks.InARow('F'), 3));
    EXPECT_FALSE(SlotSuspect(streaks.InARow('F'), 0));
    streaks.Passed('F');
    EXPECT_EQ(streaks.InARow('F'), 0u);
    EXPECT_EQ(streaks.Longest('F'), 3u);
}

}  // namespace
}  // namespace talven
