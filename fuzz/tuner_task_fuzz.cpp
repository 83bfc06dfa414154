// Any bytes as a Task Scheduler listing: every line through the tuner-task reader, every tuner
// task into a reservation, its file name and its file text. No crash, no undefined behaviour; the
// field offsets agree with the splitter, and a mended line has the header's field count with the
// command line in field 8.
#include "app/csv_line.h"
#include "app/reservation.h"
#include "app/task_listing.h"
#include "app/tuner_task.h"
#include "support/line_reader.h"
#include "support/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
        if (!reader.ReadTunerTask(line, fields)) {
            return;
        }
        const std::size_t headerFields = reader.HeaderFieldCount();
        if (headerFields >= 10 && headerFields > reader.CommandField() + 1 && plain.size() > headerFields &&
            fields.size() != headerFields) {
            std::abort();
        }
        if (!quellix::IsTunerTask(fields)) {
            std::abort();
        }
        if (quellix::ReadTunerTask(fields, reservation)) {
            const std::string name = quellix::ReservationFileName("C:\\reserve\\", reservation);
            const std::string text = quellix::FormatReservationFile(reservation);
            if (name.size() < 17 || text.empty()) {
                std::abort();
            }
        }
    });
    return 0;
}
