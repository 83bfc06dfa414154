#include "channels/csv_table.h"

#include "channels/locale_compare.h"
#include "channels/table_file.h"
#include "support/errors.h"
#include "support/text.h"

#include <algorithm>

namespace quellix {

namespace {

bool SameFieldName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

} // namespace

const std::string& TField::FieldName() const noexcept {
    return table_->defs_[index_].name;
}

const std::string& TField::DisplayLabel() const noexcept {
    return table_->defs_[index_].label;
}

std::size_t TField::Size() const noexcept {
    return table_->defs_[index_].size;
}

std::string TField::AsString() const {
    const std::optional<std::string_view> value = table_->CurrentValue(index_);
    return value ? std::string{*value} : std::string{};
}

bool TField::IsNull() const {
    return !table_->CurrentValue(index_).has_value();
}

void TField::SetAsString(std::string_view text) {
    Store(std::string{StoredText(text, Size())});
}

void TField::Clear() {
    Store(std::nullopt);
}

void TField::Store(std::optional<std::string> value) {
    if (table_->state_ != TableState::Editing && table_->state_ != TableState::Inserting) {
        throw QuellixError{"データセットが編集モードでも挿入モードでもありません: " + FieldName()};
    }
    table_->buffer_[index_] = std::move(value);
    table_->modified_ = true;
}

TCsvTable::TCsvTable(std::vector<TFieldDef> fields, std::string filePath)
    : defs_{std::move(fields)}, filePath_{std::move(filePath)}, records_{defs_.size()} {
    fields_.reserve(defs_.size());
    for (std::size_t i = 0; i < defs_.size(); ++i) {
        if (defs_[i].label.empty()) {
            defs_[i].label = defs_[i].name;
        }
        fields_.push_back(TField{*this, i});
    }
}

void TCsvTable::Open() {
    if (Active()) {
        return;
    }
    records_.Clear();
    bool loaded = false;
    if (kept_) {
        records_ = std::move(*kept_);
        kept_.reset();
        loaded = keptLoaded_;
    } else if (!filePath_.empty()) {
        // Read and parsed block by block; on a read error the partial records are dropped, and
        // the table stays closed.
        TableTextReader reader{defs_};
        TableTextNotes notes;
        const bool found = LoadTableFile(filePath_, *fs_, reader, notice_);
        records_ = reader.Finish(&notes);
        // A file of nothing but line ends holds no table: Close writes it whole.
        loaded = found && notes.header;
        fileEncoding_ = notes.encoding;
        fileUnholdable_ = notes.unholdableLine > 0;
        // Told once, not at every Open: the import and the harvest both open the table.
        std::string told = TableLossText(filePath_, defs_, notes.loss);
        if (fileUnholdable_) {
            if (!told.empty()) {
                told += '\n';
            }
            told += "テーブルファイル[" + filePath_ + "]の" + std::to_string(notes.unholdableLine) + "行目に" +
                    std::string{TextEncodingName(notes.encoding)} +
                    "からシフトJISに変換できない文字があるため、このファイルは書き換えません";
        }
        if (told != lossTold_) {
            for (std::size_t start = 0; start < told.size();) {
                const std::size_t end = std::min(told.find('\n', start), told.size());
                Tell(told.substr(start, end - start));
                start = end + 1;
            }
            lossTold_ = std::move(told);
        }
    }
    state_ = TableState::Browsing;
    current_ = 0;
    buffer_.clear();
    modified_ = false;
    rowsChanged_ = false;
    fileLoaded_ = loaded;
    if (!loaded) {
        fileEncoding_ = TextEncoding::ShiftJis;
        fileUnholdable_ = false;
    }
}

void TCsvTable::Close() {
    if (!Active()) {
        return;
    }
    Cancel();
    // Closed and emptied whatever the save does.
    struct Forget {
        TCsvTable& table;
        ~Forget() {
            table.records_.Clear();
            table.state_ = TableState::Closed;
            table.current_ = 0;
        }
    } forget{*this};
    const bool save = !filePath_.empty() && (rowsChanged_ || !fileLoaded_) && !fileUnholdable_;
    if (inMemory_) {
        wouldSave_ = wouldSave_ || save;
        keptLoaded_ = fileLoaded_ || save;
        kept_ = std::move(records_);
        return;
    }
    // An unchanged table is not written: the file may hold what the table cannot keep (a
    // spreadsheet's columns, longer values), and a new backup would push out the user's last one.
    // A file holding what Shift_JIS cannot is kept as it is: written back, a value would lose a
    // character or take a look-alike.
    if (save) {
        SaveTableFile(
            filePath_,
            [this](const std::function<bool(std::string_view)>& write) {
                return WriteTableText(defs_, records_, write);
            },
            *fs_);
        if (fileLoaded_ && fileEncoding_ != TextEncoding::ShiftJis) {
            Tell("テーブルファイル[" + filePath_ + "]は" + std::string{TextEncodingName(fileEncoding_)} +
                 "で読み込み、シフトJISで書き直しました(元のファイルは[" + BackupPathOf(filePath_) + "])");
        }
    }
}

void TCsvTable::CloseWithoutSaving() {
    records_.Clear();
    rowsChanged_ = false;
    buffer_.clear();
    modified_ = false;
    state_ = TableState::Closed;
    current_ = 0;
}

void TCsvTable::First() {
    CheckActive();
    CheckBrowseMode();
    current_ = 0;
}

void TCsvTable::GoToRecord(std::size_t index) {
    CheckActive();
    CheckBrowseMode();
    if (index >= records_.RecordCount()) {
        throw QuellixError{"レコード番号が範囲外です: " + std::to_string(index)};
    }
    current_ = index;
}

bool TCsvTable::Locate(std::string_view keyFields, std::span<const std::string_view> keyValues) {
    CheckActive();
    std::vector<std::size_t> keys;
    for (std::size_t start = 0; start <= keyFields.size();) {
        const std::size_t end = std::min(keyFields.find(';', start), keyFields.size());
        keys.push_back(FieldIndex(Trim(keyFields.substr(start, end - start))));
        start = end + 1;
    }
    if (keys.size() != keyValues.size()) {
        throw QuellixError{"検索キーの値の数がフィールドの数と合いません: " + std::string{keyFields}};
    }
    CheckBrowseMode();
    for (std::size_t record = 0; record < records_.RecordCount(); ++record) {
        bool match = true;
        for (std::size_t k = 0; match && k < keys.size(); ++k) {
            match = LocaleTextEquals(records_.Get(record, keys[k]).value_or(std::string_view{}), keyValues[k]);
        }
        if (match) {
            current_ = record;
            return true;
        }
    }
    return false;
}

TField& TCsvTable::FieldByName(std::string_view name) {
    return fields_[FieldIndex(name)];
}

void TCsvTable::Append() {
    CheckActive();
    CheckBrowseMode();
    buffer_.assign(defs_.size(), std::nullopt);
    modified_ = false;
    state_ = TableState::Inserting;
}

void TCsvTable::Edit() {
    CheckActive();
    if (state_ == TableState::Editing || state_ == TableState::Inserting) {
        return;
    }
    if (records_.Empty()) {
        Append();
        return;
    }
    buffer_.clear();
    for (std::size_t f = 0; f < defs_.size(); ++f) {
        const auto value = records_.Get(current_, f);
        buffer_.push_back(value ? std::optional<std::string>{std::string{*value}} : std::nullopt);
    }
    modified_ = false;
    state_ = TableState::Editing;
}

void TCsvTable::Post() {
    if (state_ != TableState::Editing && state_ != TableState::Inserting) {
        throw QuellixError{"データセットが編集モードでも挿入モードでもありません: " + filePath_};
    }
    if (state_ == TableState::Inserting) {
        current_ = records_.AddRecord();
        rowsChanged_ = true;
    }
    for (std::size_t f = 0; f < defs_.size(); ++f) {
        const auto value = buffer_[f] ? std::optional<std::string_view>{*buffer_[f]} : std::nullopt;
        if (records_.Get(current_, f) != value) {
            records_.Set(current_, f, value);
            rowsChanged_ = true;
        }
    }
    buffer_.clear();
    modified_ = false;
    state_ = TableState::Browsing;
}

void TCsvTable::Cancel() {
    if (state_ == TableState::Editing || state_ == TableState::Inserting) {
        buffer_.clear();
        modified_ = false;
        state_ = TableState::Browsing;
    }
}

void TCsvTable::CheckActive() const {
    if (!Active()) {
        throw QuellixError{"閉じたデータセットでは操作できません: " + filePath_};
    }
}

void TCsvTable::CheckBrowseMode() {
    if (modified_) {
        Post();
    } else {
        Cancel();
    }
}

std::optional<std::string_view> TCsvTable::CurrentValue(std::size_t field) const {
    CheckActive();
    if (state_ == TableState::Editing || state_ == TableState::Inserting) {
        const std::optional<std::string>& value = buffer_[field];
        return value ? std::optional<std::string_view>{*value} : std::nullopt;
    }
    if (records_.Empty()) {
        return std::nullopt;
    }
    return records_.Get(current_, field);
}

std::size_t TCsvTable::FieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < defs_.size(); ++i) {
        if (SameFieldName(defs_[i].name, name)) {
            return i;
        }
    }
    throw QuellixError{"フィールド '" + std::string{name} + "' が見つかりません"};
}

} // namespace quellix
