#include "export/Adif.h"

#include "logging/ContestState.h"
#include "logging/LogTable.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Record = std::map<std::string, std::string>;

// A second reading of ADI, written from the format's rules rather than from the writer:
// <NAME:LENGTH[:TYPE]>DATA, names in any case, anything between specifiers ignored.
std::vector<Record> readAdi(const std::string &text, Record &header)
{
    std::vector<Record> records;
    Record current;
    size_t pos = text.empty() || text[0] == '<' ? 0 : text.find('<');
    while (pos != std::string::npos && pos < text.size()) {
        const size_t close = text.find('>', pos);
        std::string specifier = text.substr(pos + 1, close - pos - 1);
        for (char &c : specifier)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const size_t colon = specifier.find(':');
        pos = close + 1;
        if (colon == std::string::npos) {
            (specifier == "EOH" ? header : records.emplace_back()) = current;
            current.clear();
        } else {
            const size_t length = std::stoul(specifier.substr(colon + 1));
            current[specifier.substr(0, colon)] = text.substr(pos, length);
            pos += length;
        }
        pos = text.find('<', pos);
    }
    return records;
}

struct Station {
    ContestState state;
    LogTable log;

    Station()
    {
        state.MyCall = "S59ABC_P";  // as the program keeps an own call S59ABC/P
        state.MyYearLic = "59 1999";
        state.ContestId = "S5-CONTEST";
        state.LogDate = "2013-04-14";
        state.CbExchange = true;
        // Portable calls, two dates, an empty, a blank-only and a blank-holding exchange,
        // and Windows-1250 letters (0xC8 is C caron, 0xE8 c caron) that ADI cannot carry.
        log.replaceAll({{"23:58", "DL/S51AB", "1987", "1", "40", "CW", "2013-04-13"},
                        {"2359", "S57X/P", "", "2", "80", "SSB", "2013-04-13"},
                        {"00:01", "9A2AA", " 59 007 ", "3", "20", "CW", "2013-04-14"},
                        {"00:05", "S5\xC8" "AB", "\xE8" "0042", "4", "10", "SSB", ""},
                        {"00:06", "OE1XYZ/QRP", "   ", "5", "160", "CW", "2013-04-14"}});
        state.QsoCount = 5;
    }
};

const UtcStamp kCreated{2013, 4, 14, 7, 12, 30};

} // namespace

TEST(Adif, WritesTheLogByteForByteReportsWhatWasLeftOutAndKeepsItOnAFailedWrite)
{
    TestFolder dir;
    Station s;
    const AdifExport done = ExportAdif(s.state, s.log, dir.path(), kCreated);
    const std::string tail = "<STATION_CALLSIGN:8>S59ABC/P <CONTEST_ID:10>S5-CONTEST <EOR>\n";
    EXPECT_EQ(readFileBytes(dir.file("S59ABC_P.adi")), crlf(
        "Quillfeather log, ADIF 3.1.4\n"
        "<ADIF_VER:5>3.1.4\n"
        "<PROGRAMID:12>Quillfeather\n"
        "<PROGRAMVERSION:4>1.01\n"
        "<CREATED_TIMESTAMP:15>20130414 071230\n"
        "<EOH>\n"
        "<CALL:8>DL/S51AB <QSO_DATE:8>20130413 <TIME_ON:4>2358 <BAND:3>40m <MODE:2>CW <RST_SENT:3>599 <RST_RCVD:3>599 "
        "<STX_STRING:7>59 1999 <SRX_STRING:4>1987 <SRX:4>1987 " + tail +
        "<CALL:6>S57X/P <QSO_DATE:8>20130413 <TIME_ON:4>2359 <BAND:3>80m <MODE:3>SSB <RST_SENT:2>59 <RST_RCVD:2>59 "
        "<STX_STRING:7>59 1999 " + tail +
        "<CALL:5>9A2AA <QSO_DATE:8>20130414 <TIME_ON:4>0001 <BAND:3>20m <MODE:2>CW <RST_SENT:3>599 <RST_RCVD:3>599 "
        "<STX_STRING:7>59 1999 <SRX_STRING:6>59 007 " + tail +
        "<CALL:4>S5AB <QSO_DATE:8>20130414 <TIME_ON:4>0005 <BAND:3>10m <MODE:3>SSB <RST_SENT:2>59 <RST_RCVD:2>59 "
        "<STX_STRING:7>59 1999 <SRX_STRING:4>0042 <SRX:2>42 " + tail +
        "<CALL:10>OE1XYZ/QRP <QSO_DATE:8>20130414 <TIME_ON:4>0006 <BAND:4>160m <MODE:2>CW <RST_SENT:3>599 "
        "<RST_RCVD:3>599 <STX_STRING:7>59 1999 " + tail));

    EXPECT_EQ(done.qsos, 5);
    EXPECT_EQ(done.rowsLosingCharacters, std::vector<int>{3});
    const std::string report = AdifReport(done, s.log);
    EXPECT_EQ(report.rfind("Wrote 5 QSOs to \"" + dir.file("S59ABC_P.adi") + "\".", 0), 0u) << report;
    EXPECT_NE(report.find("QSO 4 (S5\xC8" "AB)"), std::string::npos) << report;

    // A write cut short, as by a full disk, fails and leaves this export in place.
    const std::string written = readFileBytes(dir.file("S59ABC_P.adi"));
    FileSizeLimit limit(written.size() / 2);
    s.state.ContestId = "ANOTHER";
    EXPECT_THROW(ExportAdif(s.state, s.log, dir.path(), kCreated), AdifError);
    EXPECT_EQ(readFileBytes(dir.file("S59ABC_P.adi")), written);
}

TEST(Adif, AnIndependentReaderGetsEveryFieldBack)
{
    Station s;
    s.state.CbExchange = false;
    s.state.CbNumber = true;
    s.state.ContestId.clear();
    AdifExport info;
    Record header;
    const auto records = readAdi(AdifText(s.state, s.log, kCreated, info), header);
    EXPECT_EQ(header, (Record{{"ADIF_VER", "3.1.4"}, {"PROGRAMID", "Quillfeather"}, {"PROGRAMVERSION", "1.01"},
                              {"CREATED_TIMESTAMP", "20130414 071230"}}));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0], (Record{{"CALL", "DL/S51AB"}, {"QSO_DATE", "20130413"}, {"TIME_ON", "2358"},
                                  {"BAND", "40m"}, {"MODE", "CW"}, {"RST_SENT", "599"}, {"RST_RCVD", "599"},
                                  {"STX", "1"}, {"SRX_STRING", "1987"}, {"SRX", "1987"},
                                  {"STATION_CALLSIGN", "S59ABC/P"}}));
    EXPECT_EQ(records[4].at("STX"), "5");
    EXPECT_EQ(records[4].count("SRX_STRING") + records[4].count("CONTEST_ID"), 0u);
    EXPECT_EQ(records[2].at("SRX_STRING"), "59 007");
    EXPECT_FALSE(info.sentExchangeLeftOut);

    s.log.setCell(1, LogTable::ColBand, "30");  // hand-edited in the grid: no ADIF band
    EXPECT_THROW(AdifText(s.state, s.log, kCreated, info), AdifError);
    s.log.replaceAll({{"00:01", "9A2AA", "1", "1", "20", "CW", "2013-02-31"}});  // a day no calendar has
    s.state.QsoCount = 1;
    EXPECT_THROW(AdifText(s.state, s.log, kCreated, info), AdifError);
}
