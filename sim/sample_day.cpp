#include "sample_day.h"

#include "day_builder.h"
#include "emulator.h"
#include "image_encoder.h"

namespace kav::sim {
namespace {

constexpr uint16_t kWeek = 2209;

constexpr uint32_t kDay = 86400;

void alpineMorning(std::vector<log::TDataECEF>& fixes) {
    // 09:00:10 GPS on Monday; 10 mod 16 puts A0 A1 into the first record.
    DayBuilder f(fixes, kWeek, kDay + 9 * 3600 + 10 - 1, 45.8128, 6.2455, 1300);
    f.stand(60);
    f.pause(3338 - 1);  // time step 0x0D0A in a compact record
    f.stand(30);
    f.glide(60, 270, 9, 1.0);
    f.thermal(600, 1.8, 1.5, 0.5);
    f.glide(900, 160, 10, 1.1);
    f.thermal(700, 1.8, 1.5, 0.5);
    f.glide(600, 20, 11, 1.2);
    f.pause(19);  // a drop-out of 20 s, which does not cut the track
    f.glide(60, 20, 11, 1.2);
    f.thermal(500, 1.5, 2.0, 0.0);
    f.glide(1200, 250, 10, 1.3);
    f.thermal(300, -1.8, 0.0, 0.0);
    f.glide(60, 200, 8, 0.3);
    f.stand(30);
}

void alpineHop(std::vector<log::TDataECEF>& fixes) {
    DayBuilder f(fixes, kWeek, kDay + 14 * 3600, 45.8606, 6.1880, 1250);
    f.stand(20);
    f.glide(200, 240, 9, 2.5);
    f.stand(20);
}

void tahitiEvening(std::vector<log::TDataECEF>& fixes) {
    // Tuesday 23:30:00 UTC; midnight UTC comes 30 minutes in.
    DayBuilder f(fixes, kWeek, 2 * kDay + 23 * 3600 + 1800 + 18, -17.5539, -149.5610, 650);
    f.stand(30);
    f.glide(60, 90, 9, 1.0);
    f.thermal(800, 1.0, -1.0, 1.0);
    f.glide(900, 200, 9, 0.6);
    f.thermal(600, 1.2, -1.0, 1.0);
    f.glide(800, 300, 10, 1.6);
    f.stand(30);
}

}  // namespace

std::vector<log::TDataECEF> sampleFixes() {
    std::vector<log::TDataECEF> fixes;
    alpineMorning(fixes);
    alpineHop(fixes);
    tahitiEvening(fixes);
    return fixes;
}

QByteArray sampleImage() {
    const std::vector<log::TDataECEF> fixes = sampleFixes();
    return encodeFixes(fixes);
}

}  // namespace kav::sim
