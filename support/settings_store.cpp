#include "support/settings_store.h"

#include "support/errors.h"
#include "support/ini_file.h"
#include "support/text.h"

namespace quellix {

using settings::TWindowState;

std::string TSettingsStore::Section() const {
    if (!IniSection.empty() || target_ == nullptr) {
        return IniSection;
    }
    return target_->ClassName();
}

// Read only inside RestoreSettings, which holds the file's bytes for it.
std::string TSettingsStore::ReadString(std::string_view key, const std::string& fallback) const {
    return settings::ClipReadValue(*content_ ? ini::FindValue(**content_, Section(), key).value_or(fallback)
                                             : fallback);
}

int TSettingsStore::ReadInteger(std::string_view key, int fallback) const {
    return StrToIntDef(ReadString(key, {}), fallback);
}

void TSettingsStore::WriteStrings(const std::vector<std::pair<std::string, std::string>>& keysAndValues) const {
    if (!ini::WriteStrings(IniFileName, Section(), keysAndValues)) {
        throw QuellixError{IniFileName + " に書き込めません"};
    }
}

void TSettingsStore::RestoreSettings() {
    saved_ = false;
    struct MarkRestored { // the read counts as done on every way out
        bool& restored;
        ~MarkRestored() { restored = true; }
    } mark{restored_};
    if (target_ == nullptr) {
        return;
    }
    // The file is read once for all the keys: every read is a round of file calls, which under Wine
    // cost a start-up more than the rest of the restore.
    const std::optional<std::string> content = ini::ReadFileText(IniFileName);
    struct ForgetContent {
        const std::optional<std::string>*& slot;
        ~ForgetContent() { slot = nullptr; }
    } forget{content_};
    content_ = &content;
    if (!settings::VersionAllowsRestore(ReadInteger(settings::kKeyFormVersion, 0), Version)) {
        return;
    }
    if (Options.position) {
        RestorePosition();
    }
    if (Options.state) {
        RestoreState();
    }
    RestoreProperties();
}

void TSettingsStore::RestorePosition() {
    TPlacement placement = target_->Placement();
    if (!target_->IsVisible()) {
        placement.showCmd = kShowCmdHide; // applying the placement must not show the window
    }
    placement.flags = ReadInteger(settings::kKeyFlags, placement.flags);

    const std::string suffix = settings::ResolutionSuffix(target_->ScreenWidth(), target_->ScreenHeight());
    const auto readPosition = [&](const std::string& key) {
        return settings::PickPositionValue(ReadString(key + suffix, {}), ReadString(key, {}));
    };
    bool found = false;
    if (const auto minMax = readPosition(settings::kKeyMinMaxPos)) {
        const auto words = settings::ParseFourNumbers(*minMax);
        placement.minPosition = {words[0].value_or(0), words[1].value_or(0)};
        placement.maxPosition = {words[2].value_or(0), words[3].value_or(0)};
        found = true;
    }
    const TRect current = placement.normalPosition;
    const int width = current.right - current.left;
    const int height = current.bottom - current.top;
    if (const auto normal = readPosition(settings::kKeyNormPos)) {
        const auto words = settings::ParseFourNumbers(*normal);
        placement.normalPosition = {words[0].value_or(current.left), words[1].value_or(current.top),
                                    words[2].value_or(current.left + width), words[3].value_or(current.top + height)};
        found = true;
    }
    // Positions are in pixels: at another screen density they would put the window elsewhere.
    const int pixelsPerInch = target_->PixelsPerInch();
    if (!found || ReadInteger(settings::kKeyPixelsPerInch, pixelsPerInch) != pixelsPerInch) {
        return;
    }
    TRect& normal = placement.normalPosition;
    if (!target_->IsResizable()) { // the position only, never the size
        normal.right = normal.left + width;
        normal.bottom = normal.top + height;
    }
    if (normal.left < normal.right) {
        target_->SetPlacement(placement);
    }
}

void TSettingsStore::RestoreState() {
    const TWindowState state =
        settings::WindowStateFromShowCmd(ReadInteger(settings::kKeyShowCmd, 0), TWindowState::Normal);
    if (state == TWindowState::Minimized && target_->IsMainWindow()) {
        // The main window stays normal; the whole application goes to the taskbar.
        target_->SetWindowState(TWindowState::Normal);
        target_->MinimizeApplication();
    } else {
        target_->SetWindowState(state);
    }
}

void TSettingsStore::RestoreProperties() {
    for (const std::string& name : StoredProps) {
        try {
            const std::string current = target_->Property(name);
            target_->SetProperty(name, Trim(ReadString(settings::StoredPropertyKey(name), current)));
        } catch (const std::exception&) {
            // One property that cannot be restored does not keep the others from it.
        }
    }
}

void TSettingsStore::SaveSettings() {
    if ((Active && !restored_) || target_ == nullptr) {
        return; // nothing read yet: writing now would overwrite the file with the designed values
    }
    // Collected and written at once: one read and at most one write of the file instead of one of
    // each per key. What one key at a time would have left stays the same, also when reading a
    // value raises: the keys before it are written, then the error goes on.
    std::vector<std::pair<std::string, std::string>> values;
    const auto put = [&values](std::string key, std::string_view value) {
        values.emplace_back(std::move(key), settings::QuoteForWrite(value));
    };
    try {
        put(settings::kKeyFormVersion, std::to_string(Version));
        if (Options.position || Options.state) {
            const TPlacement placement = target_->Placement();
            const int showCmd =
                target_->IsMainWindow() && target_->ApplicationMinimized() ? kShowCmdMinimized : placement.showCmd;
            const std::string suffix = settings::ResolutionSuffix(target_->ScreenWidth(), target_->ScreenHeight());
            const std::string minMax = settings::FormatFourNumbers(
                {placement.minPosition.x, placement.minPosition.y, placement.maxPosition.x, placement.maxPosition.y});
            const TRect& n = placement.normalPosition;
            const std::string normal = settings::FormatFourNumbers({n.left, n.top, n.right, n.bottom});
            put(settings::kKeyFlags, std::to_string(placement.flags));
            put(settings::kKeyShowCmd, std::to_string(showCmd));
            put(settings::kKeyPixelsPerInch, std::to_string(target_->PixelsPerInch()));
            put(std::string{settings::kKeyMinMaxPos} + suffix, minMax);
            put(settings::kKeyMinMaxPos, minMax);
            put(std::string{settings::kKeyNormPos} + suffix, normal);
            put(settings::kKeyNormPos, normal);
            put(settings::kKeyVisible, destroying_ ? "1" : "0");
        }
        for (const std::string& name : StoredProps) {
            put(settings::StoredPropertyKey(name), Trim(target_->Property(name)));
        }
    } catch (...) {
        WriteStrings(values);
        throw;
    }
    WriteStrings(values);
    saved_ = true;
}

void TSettingsStore::CloseAccepted() {
    if (Active && target_ != nullptr && target_->Exists()) {
        SaveSettings();
    }
}

void TSettingsStore::WindowDestroying() {
    if (!Active || saved_) {
        return;
    }
    struct Destroying {
        bool& flag;
        explicit Destroying(bool& f) : flag{f} { flag = true; }
        Destroying(const Destroying&) = delete;
        Destroying& operator=(const Destroying&) = delete;
        ~Destroying() { flag = false; }
    } destroying{destroying_};
    SaveSettings();
}

} // namespace quellix
