#include "hw/ad/AdBoardSetupLogic.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "hw/AdBoard.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"

namespace {

std::string Trimmed(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

std::string FieldName(const std::string& label) {
    std::string name = label;
    if (!name.empty() && name.back() == ':') name.pop_back();
    return name;
}

bool IsMeasurementComputing(int type) {
    return type == kAdPcmDas16 || type == kAdPciDas1602;
}

}  // namespace

CAdBoardSetupLogic::CAdBoardSetupLogic(const CAdBoard& board) {
    const int id = board.type >= 0 && board.type < CAdBoard::kTypeCount ? board.type : kAdNone;
    typeName = CAdBoard::kSettingsNames[id];
    baseText = StrPrintf("%X", static_cast<unsigned>(board.base));
    initOn = board.initOn != 0;
    portText = StrPrintf("%X", static_cast<unsigned>(board.initPort));
    valueText = StrPrintf("%X", static_cast<unsigned>(board.initValue));
    adRangeText = StrPrintf("%.15g", board.adRange);
    daRangeText = StrPrintf("%.15g", board.daRange);
    freqText = StrPrintf("%.15g", board.freq);
}

std::vector<std::string> CAdBoardSetupLogic::TypeList() {
    std::vector<std::string> list;
    for (int id : CAdBoard::kSetupListOrder)
        list.emplace_back(CAdBoard::kSettingsNames[id]);
    return list;
}

std::string CAdBoardSetupLogic::Title() const {
    const int id = CAdBoard::TypeFromName(typeName);
    if (IsMeasurementComputing(id)) return "A/D Board Setup - Measurement Computing A/D";
    if (CAdBoard::IsNationalInstruments(id)) return "A/D Board Setup - National Instruments A/D";
    return kTitle;
}

std::string CAdBoardSetupLogic::BaseLabel() const {
    const int id = CAdBoard::TypeFromName(typeName);
    if (IsMeasurementComputing(id)) return "Board ID:";
    if (CAdBoard::IsNationalInstruments(id)) return "Device ID:";
    return kBaseLabel;
}

bool CAdBoardSetupLogic::ParseHex(const std::string& text, unsigned max, unsigned& value) {
    std::string t = Trimmed(text);
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
    if (t.empty() || t.size() > 8) return false;
    unsigned long v = 0;
    for (char c : t) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        v = v * 16 + static_cast<unsigned long>(std::isdigit(static_cast<unsigned char>(c))
                                                    ? c - '0'
                                                    : std::toupper(static_cast<unsigned char>(c)) -
                                                          'A' + 10);
    }
    if (v > max) return false;
    value = static_cast<unsigned>(v);
    return true;
}

bool CAdBoardSetupLogic::ParseNumber(const std::string& text, double& value) {
    const std::optional<double> v = ParseNumberEntry(text);
    if (v) value = *v;
    return v.has_value();
}

bool CAdBoardSetupLogic::CheckEntries() {
    auto refuse = [](const std::string& text) {
        Prompt().Message(text, EPromptIcon::Exclamation);
        return false;
    };
    unsigned hex = 0;
    if (!ParseHex(baseText, 0xFFFF, hex))
        return refuse(StrPrintf("\"%s\" must be a hexadecimal number from 0 to FFFF.",
                                FieldName(BaseLabel()).c_str()));
    if (!ParseHex(portText, 0xFFFF, hex))
        return refuse("The initialization port must be a hexadecimal number from 0 to FFFF.");
    if (!ParseHex(valueText, 0xFF, hex))
        return refuse("The initialization value is one byte: a hexadecimal number from 0 to FF.");
    double number = 0.0;
    if (!ParseNumber(adRangeText, number) || number <= 0.0)
        return refuse("\"A/D (+/- volts)\" must be a number greater than 0.");
    if (!ParseNumber(daRangeText, number) || number <= 0.0)
        return refuse("\"D/A (+/- volts)\" must be a number greater than 0.");
    if (!ParseNumber(freqText, number) || number <= 0.0)
        return refuse("\"Pace (samples/second)\" must be a number greater than 0.");
    return true;
}

void CAdBoardSetupLogic::Apply(CAdBoard& board) {
    const int id = CAdBoard::TypeFromName(typeName);
    board.type = id;
    unsigned base = 0;
    if (ParseHex(baseText, 0xFFFF, base)) board.base = static_cast<int>(base);
    if ((id == kAdPcmDas16 || (id >= kAdPciDas1602 && id <= kAdNiMSeries)) && board.base > 10) {
        Prompt().Message(StrPrintf("Device ID %d (decimal) is suspect,\nplease confirm that it is "
                                   "correct and make changes\nto the A/D Board setup if "
                                   "necessary.",
                                   board.base),
                         EPromptIcon::Exclamation);
    }
    if (IsMeasurementComputing(id)) {
        Prompt().Message(
            "The selected Measurement Computing board is not supported by this release.",
            EPromptIcon::Exclamation);
    }
    double number = 0.0;
    if (ParseNumber(adRangeText, number)) board.adRange = number;
    if (ParseNumber(daRangeText, number)) board.daRange = number;
    if (ParseNumber(freqText, number)) board.freq = number;
    board.initOn = initOn ? 1 : 0;
    unsigned hex = 0;
    if (ParseHex(portText, 0xFFFF, hex)) board.initPort = static_cast<int>(hex);
    if (ParseHex(valueText, 0xFF, hex)) board.initValue = static_cast<int>(hex);
    board.da0 = 0.0;
    board.da1 = 0.0;
    board.Init();
    board.SaveSettings();
}
