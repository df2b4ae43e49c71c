#include "export/Cabrillo.h"

#include "export/CabrilloHeader.h"
#include "logging/Bands.h"
#include "logging/ContestState.h"
#include "logging/LogFile.h"
#include "logging/LogTable.h"
#include "logging/PlainText.h"
#include "logging/ReportField.h"
#include "logging/SentSerial.h"
#include "logging/ScreenText.h"
#include "logging/FileWrite.h"
#include "logging/Version.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace {

// The QSO line's frequency field: kHz, right-aligned in five characters.
void appendFrequency(std::string &out, const ContestBand &band)
{
    const std::string khz = std::to_string(band.cabrilloKhz);
    out.append(khz.size() < 5 ? 5 - khz.size() : 0, ' ');
    out += khz;
}

const char *cabrilloModeOf(const std::string &mode)
{
    if (mode == "CW") return "CW";
    if (mode == "SSB") return "PH";
    return nullptr;
}

// A received serial number as the operator typed it: blanks before the digits are
// allowed, a sign too; anything after the digits, hexadecimal or an empty cell is not.
std::optional<int64_t> receivedNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 0x80000000LL)
            return std::nullopt;
    }
    if (!negative && value > 0x7FFFFFFFLL)
        return std::nullopt;
    return negative ? -value : value;
}

// Numbers below 10 get "00", below 100 "0", in front of the text as it stands.
void appendPadded(std::string &out, int64_t value, std::string_view text)
{
    if (value < 10)
        out += "00";
    else if (value < 100)
        out += "0";
    out += text;
}

// Today's header, which the organisers of the contests this program was made for read.
void appendHeader2(std::string &out, const std::string &myCall)
{
    out += "START-OF-LOG: 2.0\r\n";
    out += std::string("CREATED-BY: Quillfeather ") + QuillfeatherVersion + "\r\n";
    out += "CALLSIGN: " + myCall + "\r\n";
    out += "CONTEST: \r\n"
           "CATEGORY: \r\n";
    out += "OPERATORS: " + myCall + "\r\n";
    out += "NAME: \r\n"
           "ADDRESS: \r\n"
           "ADDRESS: \r\n"
           "EMAIL: \r\n";
}

void appendHeader3(std::string &out, const std::string &myCall, const CabrilloHeader &header)
{
    out += "START-OF-LOG: 3.0\r\n";
    out += std::string("CREATED-BY: Quillfeather ") + QuillfeatherVersion + "\r\n";
    out += "CALLSIGN: " + myCall + "\r\n";
    for (const CabrilloTag &tag : CabrilloTags()) {
        const std::string value = withoutControlChars(header.*tag.field);
        if (tag.always || !value.empty())
            out += std::string(tag.tag) + ": " + value + "\r\n";
    }
}

// A position's sent serial as the QSO line writes it, three digits at least.
std::string sentNumber(const StationQso &qso)
{
    const auto value = receivedNumber(qso.row.Number);
    if (!value || *value < 1)
        throw CabrilloError(QsoPlace(qso) + ", number: \"" + qso.row.Number + "\" is not the serial number "
                            "it was sent with. Correct it in " + QsoLogName(qso) + "; nothing was exported.");
    return SentSerial(static_cast<int>(*value));
}

std::string buildCabrillo(const ContestState &state, const std::vector<StationQso> &qsos, const CabrilloHeader &header)
{
    const bool byExchange = state.CbExchange && !state.CbNumber;
    if (state.CbExchange == state.CbNumber)
        throw CabrilloError("Nothing was exported: tick exactly one of \"Exchange\" and \"Number\" "
                            "in the setup panel (Setup, Ctrl+S) to choose what the QSO lines carry.");

    std::string out;
    out.reserve(256 + qsos.size() * 96);
    // A control character taken as it stands (a cell's stray CR) would break a line or forge one.
    // Version 3.0 is read by robots that check the call: it has its "/" there.
    const std::string myCall = withoutControlChars(header.isVersion3() ? OnAirCall(state.MyCall) : state.MyCall);
    if (header.isVersion3())
        appendHeader3(out, myCall, header);
    else
        appendHeader2(out, myCall);

    for (const StationQso &qso : qsos) {
        const QsoRow &row = qso.row;
        auto refuse = [&](const char *cell, const std::string &text, const std::string &expected) {
            return CabrilloError(QsoPlace(qso) + ", " + cell + " cell: \"" + text + "\" is not " + expected
                                 + ". Correct it in " + QsoLogName(qso) + "; nothing was exported.");
        };
        const ContestBand *band = FindBand(row.Band);
        if (!band)
            throw refuse("band", row.Band, BandNamesText());
        const char *mode = cabrilloModeOf(row.Mode);
        if (!mode)
            throw refuse("mode", row.Mode, "CW or SSB");

        out += "QSO: ";
        appendFrequency(out, *band);
        out += ' ';
        out += mode;
        out += ' ';
        out += withoutControlChars(row.Date.empty() ? state.LogDate : row.Date);
        out += ' ';
        for (char c : row.Time)
            if (c != ':' && !isControlChar(c))
                out += c;
        out += ' ';
        out += myCall;
        out += ReportField(myCall, row.Mode);
        // The station sends one exchange from every position; each position its own serials.
        out += byExchange ? withoutControlChars(state.MyYearLic) : sentNumber(qso);
        out += "      ";
        const std::string call = withoutControlChars(row.Call);
        const std::string exchange = withoutControlChars(row.Exchange);
        out += call;
        out += ReportField(call, row.Mode);
        if (byExchange) {
            out += exchange;
        } else {
            const auto value = receivedNumber(exchange);
            if (!value)
                throw refuse("exchange", exchange, "a received serial number");
            // Blanks before the digits would split the Cabrillo field in two.
            std::string_view digits = exchange;
            digits.remove_prefix(std::min(digits.find_first_not_of(' '), digits.size()));
            appendPadded(out, *value, digits);
        }
        // The last field of a 3.0 line: which transmitter of a multi-transmitter station made it.
        if (header.isVersion3() && qso.transmitter)
            out += ' ' + std::to_string(*qso.transmitter);
        out += "\r\n";
    }
    out += "END-OF-LOG:\r\n";
    return out;
}

} // namespace

std::string CabrilloText(const ContestState &state, const LogTable &log, const CabrilloHeader &header)
{
    return buildCabrillo(state, OwnQsos(state, log), header);
}

std::string CabrilloText(const ContestState &state, const std::vector<StationQso> &qsos, const CabrilloHeader &header)
{
    return buildCabrillo(state, qsos, header);
}

std::string CabrilloFilePath(const ContestState &state, const std::string &folder)
{
    return folder + CallFileName(state.MyCall) + ".cbr";
}

void ExportCabrillo(const ContestState &state, const LogTable &log, const std::string &folder)
{
    ExportCabrillo(state, OwnQsos(state, log), folder);
}

void ExportCabrillo(const ContestState &state, const std::vector<StationQso> &qsos, const std::string &folder)
{
    CabrilloHeader header;
    LoadCabrilloHeader(header, folder);
    const std::string bytes = buildCabrillo(state, qsos, header);
    const std::string path = CabrilloFilePath(state, folder);

    FileReplaceOptions options;
    options.syncToDisk = true;  // the operator sends this file away; it must be on the disk
    options.createAttempts = 2;  // a virus checker or viewer holding the folder often lets go at once
    const FileWriteResult result = ReplaceFileWhole(path, bytes, options);
    if (result.outcome == FileWriteResult::CreateFailed)
        throw CabrilloError("Cannot create file \"" + pathForMessage(path) + "\". " + result.reason);
    if (result.outcome == FileWriteResult::WriteFailed)
        throw CabrilloError("Cannot write file \"" + pathForMessage(path) + "\". " + result.reason);
}

QString CabrilloConfirmationText()
{
    return QString::fromUtf8(u8"Si prepričan, da izvažaš prave podatke?\n\r"
                             u8"Če si izvoz že opravil in vmes spreminjal dnevnik, si lahko izvoziš nepravilne podatke,\n\r"
                             u8"Če je pravi dnevnik pritisni tipko - OK !\n\r"
                             u8"Tudi če si dnevnik že izvozil in to storiš še enkrat brez, da si spreminjal dnevnik, ni nič narobe.");
}
