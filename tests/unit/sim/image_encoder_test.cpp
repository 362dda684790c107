#include "sim/image_encoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "log/datalog_decoder.h"

namespace kav::sim {
namespace {

using log::TDataECEF;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

template <std::size_t N>
QByteArray bytes(const std::array<uint8_t, N>& record) {
    return QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(N));
}

log::LogData decodeImage(const QByteArray& image) {
    log::LogData decoded;
    for (qsizetype at = 0; at < image.size(); at += 4096)
        log::walkSector({reinterpret_cast<const uint8_t*>(image.constData() + at), 4096}, decoded);
    return decoded;
}

const TDataECEF kFirst{2050, 345623, 4202458, -123478, 4780443, 42};
const TDataECEF kSecond{2050, 345624, 4202463, -123481, 4780439, 40};

TEST(ImageEncoder, ReproducesTheWorkedExampleByteForByte) {
    const std::vector<TDataECEF> fixes{kFirst, kSecond};
    const QByteArray image = encodeFixes(fixes);
    ASSERT_EQ(image.size(), 4096);
    EXPECT_EQ(image.left(26), bytes({0x40, 0x2A, 0x70, 0x02, 0x54, 0x61, 0x1F, 0xDA, 0x00,
                                     0x40, 0x1D, 0xA9, 0xFF, 0xFE, 0xF1, 0x9B, 0x00, 0x48,
                                     0x80, 0x28, 0x00, 0x01, 0x01, 0x42, 0x82, 0x03}));
    EXPECT_EQ(image.mid(26), QByteArray(4096 - 26, char(0xFF)));
}

TEST(ImageEncoder, CompactStepLimits) {
    struct Case {
        const char* what;
        TDataECEF next;
        bool compact;
    };
    const TDataECEF p = kFirst;
    auto with = [&](int64_t dx, int64_t dy, int64_t dz, uint32_t dt, uint16_t week) {
        return TDataECEF{week, p.TimeOfWeek + dt, p.ECEF_X + dx, p.ECEF_Y + dy, p.ECEF_Z + dz, 7};
    };
    const Case cases[] = {
        {"largest steps", with(511, -512, 511, 65535, 2050), true},
        {"zero steps", with(0, 0, 0, 0, 2050), true},
        {"x step 512", with(512, 0, 0, 1, 2050), false},
        {"y step -513", with(0, -513, 0, 1, 2050), false},
        {"z step 512", with(0, 0, 512, 1, 2050), false},
        {"time step 65536", with(0, 0, 0, 65536, 2050), false},
        {"other week", with(0, 0, 0, 1, 2051), false},
        {"time backwards", with(0, 0, 0, uint32_t(-1), 2050), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(encodeCompact(p, c.next).has_value(), c.compact);
        const std::vector<TDataECEF> fixes{p, c.next};
        const QByteArray image = encodeFixes(fixes);
        EXPECT_EQ(uint8_t(image[18]) >> 5, c.compact ? 4 : 2);
        EXPECT_EQ(decodeImage(image), fixes);
    }
}

TEST(ImageEncoder, RefusesFixesTheLoggerCannotStore) {
    const TDataECEF ok{2048, 0, 0, 0, 0, 0};
    struct Case {
        const char* what;
        TDataECEF fix;
        bool storable;
    };
    auto edit = [&](auto change) {
        TDataECEF f = ok;
        change(f);
        return f;
    };
    const Case cases[] = {
        {"first week", ok, true},
        {"last week", edit([](TDataECEF& f) { f.WeekNumber = 3071; }), true},
        {"week 2047", edit([](TDataECEF& f) { f.WeekNumber = 2047; }), false},
        {"week 3072", edit([](TDataECEF& f) { f.WeekNumber = 3072; }), false},
        {"time of week 20 bits", edit([](TDataECEF& f) { f.TimeOfWeek = 0xFFFFF; }), true},
        {"time of week 21 bits", edit([](TDataECEF& f) { f.TimeOfWeek = 0x100000; }), false},
        {"speed 1023", edit([](TDataECEF& f) { f.Velocity = 1023; }), true},
        {"speed 1024", edit([](TDataECEF& f) { f.Velocity = 1024; }), false},
        {"x -2147483647", edit([](TDataECEF& f) { f.ECEF_X = -2147483647; }), true},
        {"y 2147483647", edit([](TDataECEF& f) { f.ECEF_Y = 2147483647; }), true},
        {"z -2147483648", edit([](TDataECEF& f) { f.ECEF_Z = -2147483648LL; }), false},
        {"x 2147483648", edit([](TDataECEF& f) { f.ECEF_X = 2147483648LL; }), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<TDataECEF> fixes{c.fix};
        QString error;
        const QByteArray image = encodeFixes(fixes, &error);
        EXPECT_EQ(!image.isEmpty(), c.storable);
        EXPECT_EQ(error.isEmpty(), c.storable);
        if (c.storable) {
            EXPECT_EQ(decodeImage(image), fixes);
        }
    }
}

TEST(ImageEncoder, OnesComplementCoordinates) {
    const TDataECEF fix{2050, 1, -1, -2147483647, 0, 0};
    const auto record = encodeFull(fix);
    ASSERT_TRUE(record);
    EXPECT_EQ(bytes(*record).mid(6, 12),
              bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(ImageEncoder, RecordsNeverStraddleASector) {
    // One full record and 509 compact ones fill 4090 bytes; the next fix opens sector 1.
    std::vector<TDataECEF> fixes;
    TDataECEF f = kFirst;
    for (int i = 0; i < 520; ++i, ++f.TimeOfWeek, f.ECEF_X += 3) fixes.push_back(f);
    const QByteArray image = encodeFixes(fixes);
    ASSERT_EQ(image.size(), 2 * 4096);
    EXPECT_EQ(image.mid(4090, 6), QByteArray(6, char(0xFF)));
    EXPECT_EQ(uint8_t(image[4096]) >> 5, 2);
    EXPECT_EQ(uint8_t(image[4096 + 18]) >> 5, 4);
    EXPECT_EQ(decodeImage(image), log::LogData(fixes.begin(), fixes.end()));
}

TEST(ImageEncoder, GeodeticToEcef) {
    struct Case {
        double lat, lon, h;
        double x, y, z;
    };
    const Case cases[] = {
        {0, 0, 0, 6378137.0, 0, 0},
        {0, 90, 100, 0, 6378237.0, 0},
        {90, 0, 0, 0, 0, 6356752.314245},
        {48.85999750, -1.68299918, 150.15, 4202458, -123478, 4780443},
    };
    for (const Case& c : cases) {
        const Ecef p = geodeticToEcef(c.lat, c.lon, c.h);
        EXPECT_NEAR(p.x, c.x, 0.5);
        EXPECT_NEAR(p.y, c.y, 0.5);
        EXPECT_NEAR(p.z, c.z, 0.5);
    }
}

}  // namespace
}  // namespace kav::sim
