// The interface's hashes: the worked example of the authority's interface
// documentation (section 1.5.1) and its sample requests (section 1.5.2).
#include <gtest/gtest.h>

#include <QTimeZone>

#include "import/navsignature.h"

using vela::NavSignature;

TEST(NavSignature, ReproducesTheInterfaceDocumentsWorkedExample) {
    const QDateTime utc = QDateTime::fromString("2017-12-30T18:25:45.000Z", Qt::ISODateWithMs);
    ASSERT_TRUE(utc.isValid());
    const QString expected =
        "60BC80609EE3B8F42FE904200A49A1921A1DADA08D55319ACD40C59F626514B74EEA49011D372600A10DBC"
        "F8199D590DA9C2841D987308F2D83DAE17C2470C42";
    const QList<std::pair<QString, QString>> indexed{{"CREATE", "QWJjZDEyMzQ="},
                                                     {"MODIFY", "RGNiYTQzMjE="}};
    EXPECT_EQ(NavSignature::requestSignature("TSTKFT1222564", utc,
                                             "ce-8f5e-215119fa7dd621DLMRHRLH2S", indexed),
              expected);
    // The same moment on a Budapest clock (winter time, UTC+1) signs the same.
    const QDateTime local = utc.toTimeZone(QTimeZone("Europe/Budapest"));
    EXPECT_EQ(local.time().hour(), 19);
    EXPECT_EQ(NavSignature::requestSignature("TSTKFT1222564", local,
                                             "ce-8f5e-215119fa7dd621DLMRHRLH2S", indexed),
              expected);
    EXPECT_EQ(NavSignature::timestampText(local), "2017-12-30T18:25:45.000Z");
}

TEST(NavSignature, QueriesSignTheirIdMomentAndKeyAlone) {
    // The authority's sample requests, with the signature key they name.
    const struct {
        const char* id;
        const char* timestamp;
        const char* signature;
    } samples[] = {
        {"RID242585074285", "2019-09-11T12:16:48.177Z",
         "DB5EB960D80F120F2EEE21F6F46E21FB47CE5925EB7E6F8A72CFC12A24F3E1AB1C5D17EBD60163933457108C8"
         "D46C2B297F2CE8357C973AEE76A68CA5F70B6C6"},
        {"RID005176453519", "2019-09-11T11:24:30.037Z",
         "A3C2FE7C2068350B1B56B535ED1A4F8CA6C84AD5F19893556FFBD7B4655C79FBAC2A4BE271121174288B99BE2"
         "EDF5128028A67ACA1D0E883336362BF14E0BB39"},
    };
    for (const auto& s : samples) {
        SCOPED_TRACE(s.id);
        EXPECT_EQ(NavSignature::requestSignature(
                      s.id, QDateTime::fromString(s.timestamp, Qt::ISODateWithMs),
                      "ac-ac3a-7f661bff7d342N43CYX4U9FG"),
                  s.signature);
    }
    // SHA-512 of "password", upper case.
    EXPECT_EQ(NavSignature::passwordHash("password"),
              "B109F3BBBC244EB82441917ED06D618B9008DD09B3BEFD1B5E07394C706A8BB980B1D7785E5976EC049B"
              "46DF5F1326AF5A2EA6D103FD07C95385FFAB0CACBC86");
}
