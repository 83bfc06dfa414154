#include "app/task_outcome_text.h"

#include "support/errors.h"

namespace quellix {

namespace {

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

} // namespace

std::optional<OutcomeLine> TaskOutcomeLine(const TaskBooking& booking, const TReservation& reservation,
                                           const ListedTask& task, std::string_view deckName) {
    switch (booking.Outcome) {
    case TaskOutcome::Written:
        return std::nullopt;
    case TaskOutcome::NoNextRun:
        return OutcomeLine{"次回実行日時がないため取り込みません: " + Quoted(reservation.Title), false};
    case TaskOutcome::UnreadableNextRun:
        return OutcomeLine{"次回実行日時を読み取れないため取り込みません: " + Quoted(reservation.Title) + " , " +
                               Quoted(task.NextRun),
                           false};
    case TaskOutcome::NoStation:
        return OutcomeLine{"チャンネルエラー: " + Quoted(deckName) + " , " + Quoted(reservation.Channel), false};
    case TaskOutcome::FileNotCreated:
        return OutcomeLine{"予約ファイル[" + booking.FileName +
                               "]を作成できないため取り込みません: " + SystemErrorText(booking.ErrorCode),
                           true};
    case TaskOutcome::FileNotWritten:
        return OutcomeLine{booking.FileName + ": " + SystemErrorText(booking.ErrorCode), true};
    }
    return std::nullopt;
}

} // namespace quellix
