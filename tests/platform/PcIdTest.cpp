#include "platform/PcId.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::platform;

TEST(PcId, CrcRegisterStepsMatchValuesWorkedOutIndependently) {
    // Worked out with Python's zlib (crc32 with the inversions undone) on the padded 80-byte text.
    EXPECT_EQ(PcIdFromIdentity("S-1-5-21-1004336348-1177238915-682003330-1013"), "FB290579AF349120");
    EXPECT_EQ(PcIdFromIdentity(""), "25230355DB5CAA55");
    // The register update itself: one zero byte from 0 leaves 0; from 0xFFFFFFFF gives the table's entry
    // 0xFF.
    EXPECT_EQ(CrcUpdate(0, QByteArray(1, '\0')), 0u);
    EXPECT_EQ(CrcUpdate(0xFFFFFFFFu, QByteArray(1, '\0')), 0x2D02EF8Du ^ 0x00FFFFFFu);
}

TEST(PcId, IdentityLongerThan80CharactersIsCut) {
    const QByteArray base(80, 'x');
    EXPECT_EQ(PcIdFromIdentity(base), PcIdFromIdentity(base + "tail"));
}

TEST(PcId, StablePerUserAndShapedAsSixteenUpperHexDigits) {
    QTemporaryDir dir;
    const QString idFile = dir.filePath("machine-id");
    QFile f(idFile);
    f.open(QIODevice::WriteOnly);
    f.write("0123456789abcdef0123456789abcdef\n");
    f.close();
    const QByteArray sid = UserIdentity(idFile);
    EXPECT_TRUE(sid.startsWith("S-1-5-21-"));
    EXPECT_EQ(sid.count('-'), 7);
    EXPECT_EQ(sid, UserIdentity(idFile));
    const QByteArray id = PcId();
    EXPECT_EQ(id, PcId());
    ASSERT_EQ(id.size(), 16);
    for (char c : id)
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << c;
}
