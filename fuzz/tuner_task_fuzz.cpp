// Any bytes as a Task Scheduler listing: every line through the tuner-task reader, every tuner
// task into a reservation, its file name and its file text. No crash, no undefined behaviour; the
// field offsets agree with the splitter, a mended line has the header's field count, and every
// task read starts the tuner's recorder.
#include "app/csv_line.h"
#include "app/reservation.h"
#include "app/task_listing.h"
#include "app/tuner_task.h"
#include "support/line_reader.h"
#include "support/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes{reinterpret_cast<const char*>(data), size};
    quellix::TaskListingReader reader;
    std::vector<std::string> fields;
    std::vector<std::string> plain;
    quellix::TReservation reservation;
    quellix::ForEachLine(bytes, [&](std::string_view line) {
        quellix::SplitCsvLine(line, plain);
        if (quellix::CsvFieldStarts(line).size() != plain.size()) {
            std::abort();
        }
        const std::optional<quellix::ListedTask> task = reader.ReadTunerTask(line);
        if (!task) {
            return;
        }
        const std::size_t headerFields = reader.HeaderFieldCount();
        quellix::SplitListingLine(line, headerFields, fields, reader.CommandField());
        if (headerFields >= 10 && headerFields > reader.CommandField() + 1 && plain.size() > headerFields &&
            fields.size() != headerFields) {
            std::abort();
        }
        if (!quellix::IsTunerCommand(task->CommandLine)) {
            std::abort();
        }
        if (!quellix::ReadTunerTask(*task, reservation)) {
            const std::string name = quellix::ReservationFileName("C:\\reserve\\", reservation);
            const std::string text = quellix::FormatReservationFile(reservation);
            if (name.size() < 17 || text.empty()) {
                std::abort();
            }
        }
    });
    return 0;
}
