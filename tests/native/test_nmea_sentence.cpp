// GPS sentences: comma fields, the envelope and checksum, and the decoding
// of position sentences of every kind of field, on sentences of real
// receivers and on made-up ones for the rules real ones rarely show.
#include <cmath>
#include <string>

#include "gps/nmea_sentence.h"
#include "test_check.h"

namespace {

const char* RealGga = "$GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000*7D";

void TestFieldsAndEnvelope()
{
    char f[GPS_FIELD_CHARS + 1];
    CHECK(GetField("$GPGGA,1,,N", 1, ',', f) && std::string(f) == "$GPGGA");
    CHECK(GetField("$GPGGA,1,,N", 3, ',', f) && std::string(f) == "");
    CHECK(GetField("$GPGGA,1,,N", 4, ',', f) && std::string(f) == "N");
    CHECK(!GetField("$GPGGA,1,,N", 5, ',', f));
    CHECK(GetField("no separators", 1, ',', f) && std::string(f) == "no separators");
    CHECK(GetField(",0123456789012345678901", 2, ',', f) &&
          std::string(f) == "0123456789012345678");

    CHECK_EQ(CheckSentence(RealGga, 1), SENTENCE_VALID);
    std::string lower = "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33";
    CHECK_EQ(CheckSentence(lower.c_str(), 1), SENTENCE_VALID);
    std::string altered = RealGga;
    altered[20] = '9';
    CHECK_EQ(CheckSentence(altered.c_str(), 1), SENTENCE_BAD_CHECKSUM);
    CHECK_EQ(CheckSentence(altered.c_str(), 0), SENTENCE_VALID); // the total station's GGA
    for (const char* bad : {"GPGGA,1*00", "$GPGGA,1,2", "$"})
        CHECK_EQ(CheckSentence(bad, 1), SENTENCE_MALFORMED);
}

PositionFields Decode(const char* sentence, int type, int units = 0, int rtsUnits = 0)
{
    GpsFormatRecord format = {};
    LoadGpsFormat(type, &format);
    PositionFields f = {};
    f.LatitudeSign = f.LongitudeSign = 1;
    DecodePositionFields(sentence, format, type, units, rtsUnits, &f);
    return f;
}

void TestPositions()
{
    // A receiver's GGA, types 0 and 1 (only type 1 reads the HDOP field).
    PositionFields f = Decode(RealGga, 1);
    CHECK(f.PositionOk && f.Geographic && f.Satellites == 8 && f.Quality == 1 &&
          f.QualityChar == '1');
    CHECK_NEAR(f.First, -(37 + 47.0873 / 60), 1e-12);
    CHECK_NEAR(f.Second, 175 + 18.8938 / 60, 1e-12);
    CHECK(f.HasPdop && f.Pdop == 1.1f);
    CHECK(!Decode(RealGga, 0).HasPdop);
    f = Decode("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", 1);
    CHECK_NEAR(f.First, 48.1173, 1e-12);
    CHECK_NEAR(f.Second, 11.516666666666667, 1e-12);

    // Two satellites: no fix whatever the quality says; quality 0 no position.
    f = Decode("$GPGGA,1,4807.038,N,01131.000,E,1,02,0.9*00", 1);
    CHECK(!f.PositionOk && f.QualityChar == '0');
    CHECK(!Decode("$GPGGA,1,4807.038,N,01131.000,E,0,08,0.9*00", 0).PositionOk);
    // South of a zero latitude is -0.0; a missing hemisphere keeps the sign.
    f = Decode("$GPGGA,1,0000.0000,S,01131.000,W,1,08*00", 1);
    CHECK(f.First == 0.0 && std::signbit(f.First) && f.Second < 0);
    f = Decode("$GPGGA,1,4807.038,,01131.000,E,1,08*00", 1);
    CHECK(!f.PositionOk && f.First > 0);
    CHECK(!Decode("$GPGGA,1,,N,01131.000,E,1,08*00", 1).PositionOk);

    // POS: mode "0" is quality 1 with the label of "0"; PDOP in field 15.
    f = Decode("$PASHR,POS,0,05,123456.00,4807.038,N,01131.000,E,1,2,3,4,5,2.5*00", 2);
    CHECK(f.PositionOk && f.Quality == 1 && f.QualityChar == '0' && f.Pdop == 2.5f);
    // GLL: no satellites or quality fields.
    f = Decode("$GPGLL,4807.038,N,01131.000,W,123519,A*00", 5);
    CHECK(f.PositionOk && f.QualityChar == 0 && f.Second < -11.5);

    // Grid: the LLK's metres in feet; the total station's feet ('F' at
    // field 11, US feet by the RTS units) in metres, quality 'R'.
    f = Decode("$PTNL,LLK,120000,1000.0,M,2000.0,M,3,08,1.4,M*00", 3, 1);
    CHECK(f.PositionOk && !f.Geographic && f.Satellites == 8 && f.Pdop == 1.4f);
    CHECK_NEAR(f.First, 2000.0 * 3.28084, 1e-9);
    CHECK_NEAR(f.Second, 1000.0 * 3.28084, 1e-9);
    f = Decode("$GPGGA,1,1000.0,x,2000.0,y,6,7,8,9,F*00", 7, 0, 1);
    CHECK(f.PositionOk && f.QualityChar == 'R');
    CHECK_NEAR(f.First, 1000.0 * 0.304800609601219, 1e-9);
    CHECK_NEAR(Decode("$GPGGA,1,1000.0,x,2000.0,y,6,7,8,9,M*00", 7, 2).Second,
               2000.0 * 3.2808333333333355, 1e-9);
    CHECK(!Decode("$GPGGA,1,,x,2000.0*00", 7).PositionOk);

    // A GLL decoded over a GGA's record keeps none of the GGA's values.
    GpsFormatRecord gll = {};
    LoadGpsFormat(5, &gll);
    f = Decode(RealGga, 1);
    DecodePositionFields("$GPGLL,4807.038,N,01131.000,W,123519,A*00", gll, 5, 0, 0, &f);
    CHECK(f.PositionOk && f.Satellites == 0 && f.Quality == 0 && !f.HasPdop);
    // Coordinates that are no finite number give no position.
    for (const char* bad : {"$GPGGA,1,48nan,N,011inf,E,1,08*00", "$GPGGA,1,4807.038,N,0111e999,E,1,08*00",
                            "$PTNL,LLK,1,1e999,M,-nan,M,3,08,1.4,M*00"})
        CHECK(!Decode(bad, bad[2] == 'T' ? 3 : 1).PositionOk);
}

} // namespace

// The sentences a byte stream delivers, joined by '|'.
std::string Cut(const std::string& bytes)
{
    SentenceCutter c = {};
    char out[256];
    std::string got;
    for (unsigned char b : bytes)
        if (FeedSentenceByte(&c, b, out) == CUT_SENTENCE) got += std::string(out) + "|";
    return got;
}

void TestSentenceCutting()
{
    CHECK_STR(Cut("junk\r\n$GPGGA,1*00\r\n"), "junk|$GPGGA,1*00|"); // junk is recorded as such
    // A line without '$' delivers the sentence before it again.
    CHECK_STR(Cut("$GPGGA,1*00\r\nPMTK001,604,3\r\n"), "$GPGGA,1*00|$GPGGA,1*00|");
    CHECK_STR(Cut("$\n"), "|");
    // Over 200 characters the line starts over and loses its '$'.
    const std::string longLine = "$GP" + std::string(230, 'x') + "\r\n";
    CHECK_STR(Cut(longLine), std::string(32, 'x') + "|");
}

int main()
{
    TestSentenceCutting();
    TestFieldsAndEnvelope();
    TestPositions();
    return TestSummary("test_nmea_sentence");
}
