// The verdict record: every verdict the station shows becomes one line of a
// CSV file, one file a day and station, so that the line can answer later
// which reader failed where and how fast each slot was.
//
// Nothing shown is lost or written twice: each line goes to a spool file on
// the station's disk first, then to the day's file, and leaves the spool
// once it is there. A line that cannot be written waits there, across a
// close or a kill, and goes out in order with the next write that succeeds.
// Each line carries an identity, so that a line the day's file already holds
// is never appended again, whoever wrote the lines after it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "production/ProductionView.h"
#include "production/Verdict.h"
#include "production/VerdictSink.h"
#include "record/RecordColumns.h"
#include "record/VerdictRecordCsv.h"

namespace talven {

class VerdictRecord final : public VerdictSink {
public:
    // `spoolPath` keeps the lines until they are in the day's file; what an
    // earlier program left there is taken up at once. `version` is the
    // program's, as its version record holds it. A `simulated` station (the
    // trainer) writes files of its own and marks every line.
    //
    // A spool this program left under another computer name beside its own
    // (the computer renamed, or a station sharing the program's folder that
    // does not run) is taken over at once: its lines go into this spool,
    // then it is removed. One whose program runs is its program's own.
    VerdictRecord(Platform& platform, std::string spoolPath, std::string version, bool simulated = false);
    ~VerdictRecord() override;
    VerdictRecord(const VerdictRecord&) = delete;
    VerdictRecord& operator=(const VerdictRecord&) = delete;

    // The folder as the settings name it (RecordFolder), taken from the
    // program's folder when relative; the runs hand it over at GO.
    void SetFolder(const std::string& configured) override;
    // The number of a new run: one more than the last one in today's file.
    std::uint32_t StartRun() override;
    RecordSerialScan ReadSerials(const std::string& indexPath, const ScanProgress& progress) override;
    // Stamps the verdict with the time and the computer, spools its line and
    // writes every line that waits.
    void Add(const Verdict& verdict) override;
    std::string BehindText(const ProductionView& view) const override;
    // Writes the lines that wait, oldest first; true when none is left.
    bool Flush();

    std::size_t Waiting() const { return waiting.size(); }
    // Lines that wait in memory only, as the spool could not take them.
    std::size_t Unspooled() const;
    // Why the last write failed; Done while nothing waits.
    FileResult Trouble() const { return trouble; }
    const std::string& Folder() const { return folder; }
    const std::string& SpoolPath() const { return spoolPath; }
    // The spool held by another program: its lines are still owed.
    bool SpoolUnread() const { return spoolUnread; }
    // A spool under another computer name that could not be taken over.
    struct OtherSpool {
        std::string path;
        bool read = false;
        std::size_t lines = 0;
    };
    const std::vector<OtherSpool>& OtherSpools() const { return otherSpools; }
    // "Talven-YYYY-MM-DD-COMPUTER.csv": every station writes a file of its own,
    // also when several share one folder; the trainer's start "TalvenSim-".
    std::string FileName(const LocalTime& time) const;

private:
    struct Line {
        std::string fileName;
        // As written, but for a renumbered run; fewer for an earlier version's line.
        std::vector<std::string> fields;
        std::uint32_t run = 0;  // as the run was given
        bool spooled = false;
        // A line that may be in its file already: taken from the spool, or
        // in an append that failed and could not be cut back.
        bool maybeWritten = false;
    };

    std::string Computer() const;
    std::vector<std::string> Fields(const Verdict& verdict, const LocalTime& time);
    void LoadSpool();
    // The whole lines of a spool's bytes.
    static std::deque<Line> SpoolLines(const std::string& bytes);
    bool Spool(const Line& line);
    void HoldSpool();
    void TakeSpool(const std::string& path);
    bool IsWaiting(const std::string& identity) const;
    FileResult MakeFolder(const std::string& path);
    // Appends the waiting lines of the first one's file in one write.
    FileResult WriteFirstFile();
    std::string LineEnd(const std::string& fileName, const RecordTail& tail) const;
    // Takes away the waiting lines the file's tail already holds.
    void DropWritten(const std::string& fileName, const RecordTail& tail);
    // Gives runs numbered while the file could not be read numbers above
    // the file's own, the same one to every line of a run.
    void Renumber(const std::string& fileName, std::uint32_t highestRun);
    // The highest run number in the file and among the lines waiting for it;
    // `known` is false when the file could not be read.
    std::uint32_t LastRun(const std::string& fileName, bool& known);

    Platform& platform;
    std::string spoolPath;
    std::string version;
    std::string folder;
    std::deque<Line> waiting;
    FileResult trouble = FileResult::Done;
    bool simulated;
    bool spoolHolds = false;  // the spool may hold lines
    bool spoolUnread = false;
    // The spool's lock file, held while the program runs.
    Handle spoolHold = kInvalidHandle;
    std::vector<OtherSpool> otherSpools;
    std::string runFile;
    std::uint32_t lastRun = 0;
    bool runKnown = false;
    // The runs given new numbers in the file `renumberedFile`.
    std::string renumberedFile;
    std::map<std::uint32_t, std::uint32_t> renumbered;
    // Line identities: this program's own prefix and a count.
    std::string session;
    std::uint32_t linesMade = 0;
};

// The folder a RecordFolder value names, taken from the folder of the file
// at `besidePath` (the program, or its settings file beside it) when relative.
std::string RecordFolderPath(const std::string& besidePath, const std::string& configured);

// The spool beside the program, named after it and the computer, so that
// stations that share the program's folder never share a spool.
std::string DefaultSpoolPath(Platform& platform, bool simulated = false);
// The computer's name with only what every file system takes in a name.
std::string ComputerInFileName(Platform& platform);
// The spools beside `spoolPath` under other computer names: its name with
// another between the program's part ("Talven-", the trainer's
// "TalvenSim-") and ".spool".
std::vector<std::string> OtherSpoolPaths(Platform& platform, const std::string& spoolPath);

// The status line's note on a record that is behind, or on a spool it cannot
// read; empty when neither.
std::string RecordBehindText(const VerdictRecord& record, const ProductionView& view);
// What closing the window with lines waiting says: how many, why, and where
// they are kept.
std::string RecordClosingText(const VerdictRecord& record, const ProductionView& view);

}  // namespace talven
