#include "terrakon/geodesy/ozi_datums.h"

#include <cctype>

#include "platform/geoengine/geo_engine.h"

namespace tk {
namespace {

// Several alternative names repeat ("WGS", "AUST", "NAD", "EUROP",
// "PULKOVO"); the first row wins, so the order matters.
constexpr OziDatumRow kRows[] = {
    {"Adindan", "ADINDAN ", "ADI-M"},  // 0
    {"Afgooye", "AFGOO", "AFG"},  // 1
    {"Ain el Abd 1970", "AIN", "AIN-A"},  // 2
    {"Anna 1 Astro 1965", "ANNA", "ANO"},  // 3
    {"Arc 1950", "ARC 1950", "ARF-M"},  // 4
    {"Arc 1960", "ARD", "ARS-M"},  // 5
    {"Ascension Island 1958", "Ascen", "ASC"},  // 6
    {"Astro B4 Sorol Atoll", nullptr, "ASQ"},  // 7
    {"Astro Beacon 1945", nullptr, "ATF"},  // 8
    {"Astro DOS 71/4", "Astro", "SHB"},  // 9
    {"Astronomic Stn 1952", nullptr, nullptr},  // 10
    {"Australian Geodetic 1966", "AUST", "AUA"},  // 11
    {"Australian Geodetic 1984", "AUST", "AUG"},  // 12
    {"Australian Geocentric 1994 (GDA94)", "AUST", nullptr},  // 13
    {"Austrian", "AUSTRIAN", nullptr},  // 14
    {"Bellevue (IGN)", "BELLEVUE", "BER"},  // 15
    {"Bermuda 1957", "BERMUDA", "BER"},  // 16
    {"Bogota Observatory", "BOGOTA", "BOO"},  // 17
    {"Campo Inchauspe", "CAMPO", "CAI"},  // 18
    {"Canton Astro 1966", nullptr, "CAO"},  // 19
    {"Cape", nullptr, "CAP"},  // 20
    {"Cape Canaveral", nullptr, "CAC"},  // 21
    {"Carthage", nullptr, "CGE"},  // 22
    {"CH-1903", "CH", nullptr},  // 23
    {"Chatham 1971", "CHATHAM", "CHI"},  // 24
    {"Chua Astro", "CHUA A", "CHU"},  // 25
    {"Corrego Alegre", "CORREGO", "COA"},  // 26
    {"Djakarta (Batavia)", nullptr, "BAT"},  // 27
    {"DOS 1968", nullptr, "GIZ"},  // 28
    {"Easter Island 1967", nullptr, "EAS"},  // 29
    {"Egypt", nullptr, nullptr},  // 30
    {"European 1950", "EUROP", "EUR-M"},  // 31
    {"European 1950 (Mean France)", nullptr, "EUR-M"},  // 32
    {"European 1950 (Spain and Portugal)", nullptr, "EUR-D"},  // 33
    {"European 1979", "EUROP", "EUS"},  // 34
    {"Finland Hayford", nullptr, nullptr},  // 35
    {"Gandajika Base", nullptr, nullptr},  // 36
    {"Geodetic Datum 1949", "GEODET", "GEO"},  // 37
    {"Guam 1963", "GUAM", "GUA"},  // 38
    {"GUX 1 Astro", nullptr, "DOB"},  // 39
    {"Hartebeeshoek94", nullptr, nullptr},  // 40
    {"Hermannskogel", nullptr, "HER"},  // 41
    {"Hjorsey 1955", nullptr, "HJO"},  // 42
    {"Hong Kong 1963", nullptr, "HKD"},  // 43
    {"Hu-Tzu-Shan", "HU", "HTN"},  // 44
    {"Indian Bangladesh", nullptr, "IND-B"},  // 45
    {"Indian Thailand", nullptr, "INF-A"},  // 46
    {"Israeli", nullptr, nullptr},  // 47
    {"Ireland 1965", "IRELAND", "IRL"},  // 48
    {"ISTS 073 Astro 1969", nullptr, "IST"},  // 49
    {"Johnston Island", "JOHNSTO", "JOH"},  // 50
    {"Kandawala", nullptr, "KAN"},  // 51
    {"Kerguelen Island", nullptr, "KEG"},  // 52
    {"Kertau 1948", nullptr, "KEA"},  // 53
    {"L.C. 5 Astro", nullptr, "LCF"},  // 54
    {"Liberia 1964", nullptr, "LIB"},  // 55
    {"Luzon Mindanao", nullptr, "LUZ-B"},  // 56
    {"Luzon Philippines", nullptr, "LUZ-A"},  // 57
    {"Mahe 1971", nullptr, "MIK"},  // 58
    {"Marco Astro", nullptr, nullptr},  // 59
    {"Massawa", nullptr, "MAS"},  // 60
    {"Merchich", nullptr, "MER"},  // 61
    {"Midway Astro 1961", nullptr, "MID"},  // 62
    {"Minna", nullptr, "MIN-A"},  // 63
    {"NAD27 Alaska", nullptr, "NAS-D"},  // 64
    {"NAD27 Bahamas", nullptr, "NAS-Q"},  // 65
    {"NAD27 Canada", nullptr, "NAS-E"},  // 66
    {"NAD27 Canal Zone", nullptr, "NAS-O"},  // 67
    {"NAD27 Caribbean", nullptr, "NAS-P"},  // 68
    {"NAD27 Central", nullptr, "NAS-O"},  // 69
    {"NAD27 CONUS", "NAD", "NAS-C"},  // 70
    {"NAD27 Cuba", nullptr, "NAS-T"},  // 71
    {"NAD27 Greenland", nullptr, "NAS-U"},  // 72
    {"NAD27 Mexico", nullptr, "NAS-L"},  // 73
    {"NAD27 San Salvador", nullptr, "NAS-R"},  // 74
    {"NAD83", "NAD", "NAR-C"},  // 75
    {"Nahrwn Masirah Ilnd", nullptr, "NAH-A"},  // 76
    {"Nahrwn Saudi Arbia", nullptr, "NAH-C"},  // 77
    {"Nahrwn United Arab", nullptr, "NAH-B"},  // 78
    {"Naparima BWI", nullptr, "NAP"},  // 79
    {"NGO1948", nullptr, nullptr},  // 80
    {"NTF France", nullptr, nullptr},  // 81
    {"Norsk", nullptr, nullptr},  // 82
    {"Observatorio 1966", nullptr, "FLO"},  // 83
    {"Old Egyptian", nullptr, "OEG"},  // 84
    {"Old Hawaiian", nullptr, "OHA-A"},  // 85
    {"Oman", nullptr, "FAH"},  // 86
    {"Ord Srvy Grt Britn", nullptr, nullptr},  // 87
    {"Pico De Las Nieves", nullptr, "PLN"},  // 88
    {"Pitcairn Astro 1967", nullptr, "PIT"},  // 89
    {"Potsdam Rauenberg DHDN", "POTSDAM", nullptr},  // 90
    {"Prov So Amrican 1956", nullptr, "PRP-A"},  // 91
    {"Prov So Chilean 1963", nullptr, "PRP-C"},  // 92
    {"Puerto Rico", nullptr, "PUR"},  // 93
    {"Pulkovo 1942", "PULKOVO", "PUK"},  // 94
    {"Pulkovo 1942 (1)", "PULKOVO", "PUK"},  // 95
    {"Pulkovo 1942 (2)", nullptr, "PUK"},  // 96
    {"Qatar National", "QATAR", "QAT"},  // 97
    {"Qornoq", "QORNOQ", "QUO"},  // 98
    {"Reunion", "REUNION", "REU"},  // 99
    {"Rijksdriehoeksmeting", "RIJKSD", nullptr},  // 100
    {"Rome 1940", nullptr, "MOD"},  // 101
    {"RT 90", "RT", nullptr},  // 102
    {"S42", "S42", "SPK-E"},  // 103
    {"Santo (DOS)", nullptr, "SAE"},  // 104
    {"Sao Braz", nullptr, "SAO"},  // 105
    {"Sapper Hill 1943", nullptr, "SAP"},  // 106
    {"Schwarzeck", nullptr, "SCK"},  // 107
    {"South American 1969", nullptr, "SAN-M"},  // 108
    {"South Asia", nullptr, "SOA"},  // 109
    {"Southeast Base", nullptr, nullptr},  // 110
    {"Southwest Base", nullptr, nullptr},  // 111
    {"Timbalai 1948", nullptr, "TIL"},  // 112
    {"Tokyo", nullptr, "TOY-M"},  // 113
    {"Tristan Astro 1968", nullptr, "TDC"},  // 114
    {"Viti Levu 1916", nullptr, "MVS"},  // 115
    {"Wake-Eniwetok 1960", nullptr, "ENW"},  // 116
    {"WGS 72", "WGS", "WGC"},  // 117
    {"WGS 84", "WGS", "WGE"},  // 118
    {"Yacare", "YACARE", "YAC"},  // 119
    {"Zanderij", "ZANDERIJ", "ZAN"},  // 120
};
static_assert(std::size(kRows) == 121);

bool EqualNoCase(std::string_view a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == 0;
}

}  // namespace

std::span<const OziDatumRow> OziDatumTable() { return kRows; }

int32_t DatumIndexByName(std::string_view name) {
  for (const OziDatumRow& row : kRows) {
    if (EqualNoCase(name, row.name) || (row.altName && EqualNoCase(name, row.altName)))
      return DatumIndexS(row.code);
  }
  return -1;
}

}  // namespace tk
