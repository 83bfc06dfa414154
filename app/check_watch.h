// The check's view of a harvest: the listing's tasks counted, each tuner task with its outcome as
// the run logs it, and the tasks that only mention the tuner's program.
#pragma once

#include "app/check_facts.h"
#include "app/harvest.h"

#include <string>

namespace quellix {

class CheckWatch final : public HarvestWatch {
public:
    explicit CheckWatch(CheckFacts& facts) : facts_{facts} {}

    void ListingLine(std::string_view line, const TaskListingReader& listing, bool tunerTask) override;
    void TunerTask(const ListedTask& task, const TReservation& reservation, const TaskBooking& booking,
                   const std::optional<OutcomeLine>& logLine) override;
    void Captured(const FileCapture& tool) override;

private:
    CheckFacts& facts_;
    std::string header_; // the listing's header line, printed again before every folder's tasks
};

} // namespace quellix
