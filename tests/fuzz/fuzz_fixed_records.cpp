// The fixed-record files through their real readers: the point-of-sale settings file as
// PosSettingsRecord::read takes it, and the time clock's state and employee files as the
// clocked-in list reads them.
#include "Clock.h"
#include "FuzzDrive.h"
#include "FuzzInput.h"
#include "PosSettingsRecord.h"
#include "TimeClockFiles.h"

using namespace tillora;
using namespace tillora::fuzz;

namespace {

// A clock that never moves: a run gives the same result every time.
class FixedClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 7), QTime(15, 0)); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzDrive drive;
    const QByteArray bytes = bytesOf(data, size);

    drive.write(QStringLiteral("c:\\Tillora\\TlraIni.dat"), bytes);
    const auto settings = PosSettingsRecord::read(
        drive.platform->nativePath(QStringLiteral("c:\\Tillora\\TlraIni.dat")));
    require(settings.has_value(), "a file that is there is read");
    require(settings->bytes().size() == PosSettingsRecord::RecordLength, "one whole record");
    require(settings->complete() == (bytes.size() >= PosSettingsRecord::RecordLength),
            "complete only when the file holds the whole record");
    for (int field = 0; field < PosSettingsRecord::FieldCount; ++field)
        require(settings->trimmed(field).size() <= settings->raw(field).size(),
                "trimming never adds");

    drive.write(QStringLiteral("c:\\shiftra\\Data\\TSinout.dat"), bytes);
    drive.write(QStringLiteral("c:\\shiftra\\Data\\Zemployee.dat"), bytes);
    FixedClock clock;
    TimeClockFiles files(*drive.platform, drive.values, clock);
    const ClockedInList list = files.LoadClockedIn();
    require(list.failure.isEmpty(), "files that are there are read");
    require(list.employees.size() <= bytes.size() / clockrecord::Length + 1,
            "one employee a state record at most");
    for (const ClockedInEmployee& employee : list.employees)
        require(employee.name.size() <= employeerecord::Name.width, "a name fits its field");
    return 0;
}
