// TCsvTable: a small in-memory table of text fields bound to a CSV file. Open loads the file,
// the cursor and Locate find records, FieldByName reads and writes the current record's values,
// Append / Edit / Post add and change records, and Close writes the table back to its file
// (keeping the previous file as the ".old" backup) and forgets the records.
#pragma once

#include "channels/csv_table_format.h"
#include "channels/table_file.h"
#include "channels/table_file_system.h"
#include "channels/table_records.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quellix {

class TCsvTable;

enum class TableState { Closed, Browsing, Editing, Inserting };

// One field of a table, reached through TCsvTable::FieldByName; reads and writes the value of the
// table's current record.
class TField {
public:
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;
    TField(TField&&) = default;
    TField& operator=(TField&&) = delete;
    ~TField() = default;

    [[nodiscard]] const std::string& FieldName() const noexcept;
    [[nodiscard]] const std::string& DisplayLabel() const noexcept;
    [[nodiscard]] std::size_t Size() const noexcept;

    // The value as text; a null value reads as the empty string.
    [[nodiscard]] std::string AsString() const;
    // Stores `text` cut at its first NUL byte and to the field's size in bytes. Only while the
    // table is editing or inserting a record.
    void SetAsString(std::string_view text);
    // Makes the value null. Only while the table is editing or inserting a record.
    void Clear();
    [[nodiscard]] bool IsNull() const;

private:
    friend class TCsvTable;
    TField(TCsvTable& table, std::size_t index) : table_{&table}, index_{index} {}
    void Store(std::optional<std::string> value);

    TCsvTable* table_;
    std::size_t index_;
};

class TCsvTable {
public:
    // A closed table with these fields; a field without a label is labelled with its name.
    explicit TCsvTable(std::vector<TFieldDef> fields, std::string filePath = {});
    // Fields refer back to their table, so a table stays where it was made.
    TCsvTable(const TCsvTable&) = delete;
    TCsvTable& operator=(const TCsvTable&) = delete;
    TCsvTable(TCsvTable&&) = delete;
    TCsvTable& operator=(TCsvTable&&) = delete;
    // Destroying an open table forgets its records without saving them: saving is Close's job.
    ~TCsvTable() = default;

    // The table's file; empty keeps the table in memory only. Set before Open.
    void SetFilePath(std::string path) { filePath_ = std::move(path); }
    [[nodiscard]] const std::string& FilePath() const noexcept { return filePath_; }
    // Where Open tells what it did to recover the file, and what of the file the table cannot
    // keep (plain lines for the log); none by default.
    void SetNotice(TableNotice notice) { notice_ = std::move(notice); }
    // Tells `text` to the notice, when there is one.
    void Tell(const std::string& text) const {
        if (notice_) {
            notice_(text);
        }
    }

    // Loads the file into an empty table and puts the cursor on the first record. A missing file
    // (or an empty path) gives an empty table. Raises IoError when the file exists but cannot be
    // opened or read; the table then stays closed, so nothing is written back over the file.
    // A file holding what the table cannot keep (a column it lacks, a value longer than its
    // field) is told to the notice, once for as long as the file holds the same. A file saved in
    // UTF-8 or UTF-16 is read as the text it holds; one holding a character that code page 932
    // cannot hold is told to the notice with its line, and is then never written. Does nothing
    // when the table is already open.
    void Open();
    // Discards an insert or edit not yet posted, writes the table to its file and forgets the
    // records. The file is written only when a posted record changed the rows, or when there was
    // no file to load; a table the run did not change keeps its file as it is, and no backup
    // is made. Never written twice between an Open and a Close. The records are forgotten and
    // the table closed also when the save raises IoError. Does nothing when the table is closed.
    // The file is always written in Shift_JIS, what the host and the other recorders' plug-ins
    // read: a file read in another encoding is told to the notice when it is so rewritten.
    void Close();
    // Forgets the records and closes the table without writing its file (for a caller that read
    // nothing from the tables, so has nothing to save). Does nothing when the table is closed.
    void CloseWithoutSaving();
    // For a run that must change no file (the check): from now on the file is read at the first
    // Open only, and Close keeps the records for the next Open instead of writing them, noting
    // that it would have written the file.
    void KeepInMemory() noexcept { inMemory_ = true; }
    [[nodiscard]] bool WouldSave() const noexcept { return wouldSave_; }

    [[nodiscard]] TableState State() const noexcept { return state_; }
    [[nodiscard]] bool Active() const noexcept { return state_ != TableState::Closed; }
    [[nodiscard]] std::size_t RecordCount() const noexcept { return records_.RecordCount(); }
    // Every record in row order (posted ones only).
    [[nodiscard]] const TableRecords& Records() const noexcept { return records_; }

    // Cursor to the first record in row order.
    void First();
    // The current record's place in row order (0 for the first), and the cursor moved to one.
    [[nodiscard]] std::size_t RecordIndex() const noexcept { return current_; }
    void GoToRecord(std::size_t index);
    // Makes the first record in row order whose key fields all equal `keyValues` current and
    // returns true; returns false and leaves the cursor alone when none does. `keyFields` names
    // the fields, separated by ";". Values are compared whole with the user's collation (byte
    // for byte outside Windows); a null value compares as the empty string.
    [[nodiscard]] bool Locate(std::string_view keyFields, std::span<const std::string_view> keyValues);
    [[nodiscard]] bool Locate(std::string_view keyFields, std::initializer_list<std::string_view> keyValues) {
        return Locate(keyFields, std::span<const std::string_view>{keyValues.begin(), keyValues.size()});
    }

    // The field called `name` (letter case of ASCII letters ignored); raises QuellixError when the
    // table has none.
    [[nodiscard]] TField& FieldByName(std::string_view name);
    // The column of the field called `name` in FieldDefs() and in Records(), looked up as
    // FieldByName does (and raising as it does).
    [[nodiscard]] std::size_t FieldIndex(std::string_view name) const;
    [[nodiscard]] std::span<const TFieldDef> FieldDefs() const noexcept { return defs_; }

    // A new record, all fields null, to be added at the end of the row order when posted.
    void Append();
    // Starts changing the current record (on an empty table: starts a new record).
    void Edit();
    // Stores the record being inserted or edited; it becomes the current record. A new record, or
    // an edited one whose values differ from those stored, changes the rows.
    void Post();
    // Drops the record being inserted or edited.
    void Cancel();

    // For tests: every file operation goes through `fs` from now on.
    void SetFileSystemForTesting(TableFileSystem& fs) noexcept { fs_ = &fs; }

private:
    friend class TField;

    void CheckActive() const;
    // Posts a changed record or drops an unchanged one, as moving the cursor does.
    void CheckBrowseMode();
    [[nodiscard]] std::optional<std::string_view> CurrentValue(std::size_t field) const;

    std::vector<TFieldDef> defs_;
    std::vector<TField> fields_;
    std::string filePath_;
    TableRecords records_;
    TableState state_{TableState::Closed};
    std::size_t current_{};
    // The record being edited or inserted, and whether a value of it was written.
    std::vector<std::optional<std::string>> buffer_;
    bool modified_{};
    bool rowsChanged_{};
    bool fileLoaded_{};
    TextEncoding fileEncoding_{TextEncoding::ShiftJis};
    bool fileUnholdable_{}; // the file holds what Shift_JIS cannot: it is never written
    TableFileSystem* fs_{&TableFileSystem::Real()};
    TableNotice notice_;
    std::string lossTold_; // the last loss told to the notice
    bool inMemory_{};
    bool wouldSave_{};
    std::optional<TableRecords> kept_; // what Close kept in memory, with whether a file held it
    bool keptLoaded_{};
};

} // namespace quellix
