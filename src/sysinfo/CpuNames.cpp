// The rows follow Intel's and AMD's published family and model numbers of each core, the
// code names the makers and their datasheets gave them, and the transistor counts the makers
// announced for a die (none where a package carries several dies or no count was published).
#include "sysinfo/CpuNames.h"
#include <climits>
#include <vector>
#include "sysinfo/CpuLogic.h"

namespace {
constexpr int kAny = INT_MAX;

// What a row asks of the processor beyond its family and model.
struct TWhen {
  const char* Brand = nullptr;     // words the brand must hold (see CpuBrandMatches)
  const char* NotBrand = nullptr;  // words it must not hold
  int StepFrom = 0, StepTo = 15;
  int L2From = 0, L2To = kAny;     // KB
  int L3From = 0, L3To = kAny;     // KB of the package
  int CoresFrom = 0, CoresTo = kAny;  // per package; 0 when unknown
};

struct TRow {
  uint8_t Vendor;
  uint16_t Family, ModelFrom, ModelTo;  // effective family and model
  const char* Code;
  int64_t Transistors;
  TWhen When;
};

#define UM " \xB5m)"
// The first row that fits wins: within a family and model the narrower rows come first.
const TRow kRows[] = {
    // ---- Intel NetBurst (family 15) ----
    {cvIntel, 15, 0, 1, "Willamette-128 (0.18" UM, 42000000, {.Brand = "Celeron"}},
    {cvIntel, 15, 0, 1, "Foster MP (0.18" UM, 0, {.Brand = "Xeon MP"}},
    {cvIntel, 15, 0, 1, "Foster (0.18" UM, 42000000, {.Brand = "Xeon"}},
    {cvIntel, 15, 0, 1, "Willamette (0.18" UM, 42000000, {}},
    {cvIntel, 15, 2, 2, "Northwood-128 (0.13" UM, 55000000, {.Brand = "Celeron"}},
    {cvIntel, 15, 2, 2, "Gallatin (0.13" UM, 178000000, {.L3From = 1, .L3To = 2048}},
    {cvIntel, 15, 2, 2, "Gallatin (0.13" UM, 0, {.Brand = "Xeon MP"}},
    {cvIntel, 15, 2, 2, "Gallatin (0.13" UM, 0, {.L3From = 1}},
    {cvIntel, 15, 2, 2, "Prestonia (0.13" UM, 55000000, {.Brand = "Xeon"}},
    {cvIntel, 15, 2, 2, "Northwood (0.13" UM, 55000000, {}},
    {cvIntel, 15, 3, 4, "Prescott-256 (90 nm)", 125000000, {.Brand = "Celeron", .L2To = 256}},
    {cvIntel, 15, 4, 4, "Potomac (90 nm)", 675000000, {.Brand = "Xeon", .L3From = 1}},
    {cvIntel, 15, 4, 4, "Cranford (90 nm)", 0, {.Brand = "Xeon MP"}},
    {cvIntel, 15, 4, 4, "Irwindale (90 nm)", 169000000, {.Brand = "Xeon", .L2From = 2048}},
    {cvIntel, 15, 3, 4, "Nocona (90 nm)", 125000000, {.Brand = "Xeon"}},
    {cvIntel, 15, 4, 4, "Smithfield (90 nm)", 230000000, {.Brand = "Pentium D"}},
    {cvIntel, 15, 4, 4, "Smithfield (90 nm)", 230000000, {.CoresFrom = 2}},
    {cvIntel, 15, 4, 4, "Prescott 2M (90 nm)", 169000000, {.L2From = 2048}},
    {cvIntel, 15, 3, 4, "Prescott (90 nm)", 125000000, {}},
    {cvIntel, 15, 6, 6, "Cedar Mill-512 (65 nm)", 188000000, {.Brand = "Celeron", .L2To = 512}},
    {cvIntel, 15, 6, 6, "Tulsa (65 nm)", 1328000000, {.Brand = "Xeon", .L3From = 1}},
    {cvIntel, 15, 6, 6, "Dempsey (65 nm)", 376000000, {.Brand = "Xeon"}},
    {cvIntel, 15, 6, 6, "Presler (65 nm)", 376000000, {.Brand = "Pentium D"}},
    {cvIntel, 15, 6, 6, "Presler (65 nm)", 376000000, {.CoresFrom = 2}},
    {cvIntel, 15, 6, 6, "Cedar Mill (65 nm)", 188000000, {}},

    // ---- Intel Core and Core 2 (family 6) ----
    {cvIntel, 6, 0x0E, 0x0E, "Sossaman (65 nm)", 151000000, {.Brand = "Xeon"}},
    {cvIntel, 6, 0x0E, 0x0E, "Yonah (65 nm)", 151000000, {}},
    {cvIntel, 6, 0x0F, 0x0F, "Woodcrest (65 nm)", 291000000, {.Brand = "CPU 51##|CPU L51##"}},
    {cvIntel, 6, 0x0F, 0x0F, "Clovertown (65 nm)", 582000000, {.Brand = "CPU E53##|CPU X53##|CPU L53##"}},
    {cvIntel, 6, 0x0F, 0x0F, "Tigerton (65 nm)", 582000000, {.Brand = "CPU E73##|CPU X73##|CPU L73##"}},
    {cvIntel, 6, 0x0F, 0x0F, "Tigerton (65 nm)", 0, {.Brand = "CPU E72##|CPU X72##|CPU L72##"}},
    {cvIntel, 6, 0x0F, 0x0F, "Kentsfield (65 nm)", 582000000, {.Brand = "Quad|CPU X32##|CPU 32##"}},
    {cvIntel, 6, 0x0F, 0x0F, "Kentsfield (65 nm)", 582000000, {.CoresFrom = 4}},
    {cvIntel, 6, 0x0F, 0x0F, "Merom-2M (65 nm)", 0,
     {.Brand = "Mobile|T5###|T7###|L7###|U7###|X7###|T2###|T3###|T1###|U2###|U1###", .StepFrom = 13}},
    {cvIntel, 6, 0x0F, 0x0F, "Merom-2M (65 nm)", 0,
     {.Brand = "Mobile|T5###|T7###|L7###|U7###|X7###|T2###|T3###|T1###|U2###|U1###", .StepFrom = 2, .StepTo = 2}},
    {cvIntel, 6, 0x0F, 0x0F, "Merom (65 nm)", 291000000,
     {.Brand = "Mobile|T5###|T7###|L7###|U7###|X7###|T2###|T3###|T1###|U2###|U1###"}},
    {cvIntel, 6, 0x0F, 0x0F, "Allendale (65 nm)", 167000000, {.StepFrom = 13}},
    {cvIntel, 6, 0x0F, 0x0F, "Allendale (65 nm)", 167000000, {.StepFrom = 2, .StepTo = 2}},
    {cvIntel, 6, 0x0F, 0x0F, "Conroe (65 nm)", 291000000, {}},
    {cvIntel, 6, 0x16, 0x16, "Merom-L (65 nm)", 0, {.Brand = "Celeron M|CPU 5##|CPU U2###|CPU U1###"}},
    {cvIntel, 6, 0x16, 0x16, "Conroe-L (65 nm)", 0, {}},
    {cvIntel, 6, 0x17, 0x17, "Harpertown (45 nm)", 820000000, {.Brand = "CPU E54##|CPU X54##|CPU L54##"}},
    {cvIntel, 6, 0x17, 0x17, "Wolfdale-DP (45 nm)", 410000000, {.Brand = "CPU E52##|CPU X52##|CPU L52##"}},
    {cvIntel, 6, 0x17, 0x17, "Yorkfield-6M (45 nm)", 0,
     {.Brand = "Quad|Q8###|Q9###|QX9###|CPU X33##|CPU L33##", .L2To = 3072}},
    {cvIntel, 6, 0x17, 0x17, "Yorkfield (45 nm)", 820000000,
     {.Brand = "Quad|Q8###|Q9###|QX9###|CPU X33##|CPU L33##"}},
    {cvIntel, 6, 0x17, 0x17, "Yorkfield (45 nm)", 820000000, {.CoresFrom = 4}},
    {cvIntel, 6, 0x17, 0x17, "Wolfdale-3M (45 nm)", 0, {.Brand = "E####|CPU E31##|CPU L31##", .L2To = 3072}},
    {cvIntel, 6, 0x17, 0x17, "Wolfdale (45 nm)", 410000000, {.Brand = "E####|CPU E31##|CPU L31##"}},
    {cvIntel, 6, 0x17, 0x17, "Penryn (45 nm)", 410000000, {}},
    {cvIntel, 6, 0x1D, 0x1D, "Dunnington (45 nm)", 1900000000, {}},

    // ---- Intel Core i and Xeon ----
    {cvIntel, 6, 0x1A, 0x1A, "Nehalem (45 nm)", 0, {.Brand = "Nehalem"}},
    {cvIntel, 6, 0x1A, 0x1A, "Gainestown (45 nm)", 731000000, {.Brand = "E55##|X55##|L55##|W55##"}},
    {cvIntel, 6, 0x1A, 0x1A, "Bloomfield (45 nm)", 731000000, {}},
    {cvIntel, 6, 0x1E, 0x1E, "Jasper Forest (45 nm)", 0, {.Brand = "C55##|LC55##|EC55##|LC35##|EC35##"}},
    {cvIntel, 6, 0x1E, 0x1E, "Clarksfield (45 nm)", 774000000, {.Brand = "CPU Q ###|CPU X ###"}},
    {cvIntel, 6, 0x1E, 0x1F, "Lynnfield (45 nm)", 774000000, {}},
    {cvIntel, 6, 0x2E, 0x2E, "Beckton (45 nm)", 2300000000, {}},
    {cvIntel, 6, 0x25, 0x25, "Arrandale (32 nm)", 382000000,
     {.Brand = "CPU M ###|CPU U ###|CPU L ###|CPU UM ###|CPU LM ###|CPU P####|CPU U####"}},
    {cvIntel, 6, 0x25, 0x25, "Clarkdale (32 nm)", 382000000, {}},
    {cvIntel, 6, 0x2C, 0x2C, "Westmere-EP (32 nm)", 1170000000, {.Brand = "Xeon|E56##|X56##|L56##"}},
    {cvIntel, 6, 0x2C, 0x2C, "Gulftown (32 nm)", 1170000000, {}},
    {cvIntel, 6, 0x2F, 0x2F, "Westmere-EX (32 nm)", 2600000000, {}},
    {cvIntel, 6, 0x2A, 0x2A, "Sandy Bridge (32 nm)", 1160000000, {.CoresFrom = 4, .CoresTo = 4}},
    {cvIntel, 6, 0x2A, 0x2A, "Sandy Bridge (32 nm)", 504000000,
     {.Brand = "Pentium|Celeron", .CoresFrom = 2, .CoresTo = 2}},
    {cvIntel, 6, 0x2A, 0x2A, "Sandy Bridge (32 nm)", 624000000, {.CoresFrom = 2, .CoresTo = 2}},
    {cvIntel, 6, 0x2A, 0x2A, "Sandy Bridge (32 nm)", 0, {}},
    {cvIntel, 6, 0x2D, 0x2D, "Sandy Bridge-EP (32 nm)", 2270000000, {.Brand = "Xeon", .L3From = 12288}},
    {cvIntel, 6, 0x2D, 0x2D, "Sandy Bridge-EP (32 nm)", 0, {.Brand = "Xeon"}},
    {cvIntel, 6, 0x2D, 0x2D, "Sandy Bridge-E (32 nm)", 2270000000, {.L3From = 12288}},
    {cvIntel, 6, 0x2D, 0x2D, "Sandy Bridge-E (32 nm)", 0, {}},
    {cvIntel, 6, 0x3A, 0x3A, "Ivy Bridge (22 nm)", 1400000000, {.CoresFrom = 4, .CoresTo = 4}},
    {cvIntel, 6, 0x3A, 0x3A, "Ivy Bridge (22 nm)", 0, {}},
    {cvIntel, 6, 0x3E, 0x3E, "Ivy Bridge-EX (22 nm)", 4310000000, {.Brand = "E7-####*"}},
    {cvIntel, 6, 0x3E, 0x3E, "Ivy Bridge-EP (22 nm)", 0, {.Brand = "Xeon"}},
    {cvIntel, 6, 0x3E, 0x3E, "Ivy Bridge-E (22 nm)", 1860000000, {}},
    {cvIntel, 6, 0x3C, 0x3C, "Haswell (22 nm)", 1400000000, {.CoresFrom = 4, .CoresTo = 4}},
    {cvIntel, 6, 0x3C, 0x3C, "Haswell (22 nm)", 0, {}},
    {cvIntel, 6, 0x45, 0x45, "Haswell-ULT (22 nm)", 0, {}},
    {cvIntel, 6, 0x46, 0x46, "Crystal Well (22 nm)", 0, {}},
    {cvIntel, 6, 0x3F, 0x3F, "Haswell-EX (22 nm)", 0, {.Brand = "E7-####*"}},
    {cvIntel, 6, 0x3F, 0x3F, "Haswell-EP (22 nm)", 0, {.Brand = "Xeon"}},
    {cvIntel, 6, 0x3F, 0x3F, "Haswell-E (22 nm)", 2600000000, {}},
    {cvIntel, 6, 0x3D, 0x3D, "Broadwell-Y (14 nm)", 0, {.Brand = "Core M|#Y##|M-#Y##"}},
    {cvIntel, 6, 0x3D, 0x3D, "Broadwell-U (14 nm)", 0, {}},
    {cvIntel, 6, 0x47, 0x47, "Broadwell-H (14 nm)", 0, {}},
    {cvIntel, 6, 0x4F, 0x4F, "Broadwell-EX (14 nm)", 0, {.Brand = "E7-####*"}},
    {cvIntel, 6, 0x4F, 0x4F, "Broadwell-EP (14 nm)", 0, {.Brand = "Xeon"}},
    {cvIntel, 6, 0x4F, 0x4F, "Broadwell-E (14 nm)", 3200000000, {}},
    {cvIntel, 6, 0x56, 0x56, "Broadwell-DE (14 nm)", 0, {}},
    {cvIntel, 6, 0x4E, 0x4E, "Skylake-Y (14 nm)", 0, {.Brand = "m#-#Y##|Core M|#Y##"}},
    {cvIntel, 6, 0x4E, 0x4E, "Skylake-U (14 nm)", 0, {}},
    {cvIntel, 6, 0x5E, 0x5E, "Skylake-H (14 nm)", 0, {.Brand = "i#-####H*|E3-15##M"}},
    {cvIntel, 6, 0x5E, 0x5E, "Skylake-S (14 nm)", 0, {}},
    {cvIntel, 6, 0x55, 0x55, "Cooper Lake (14 nm)", 0, {.StepFrom = 10}},
    {cvIntel, 6, 0x55, 0x55, "Cascade Lake-X (14 nm)", 0, {.Brand = "Core", .StepFrom = 5}},
    {cvIntel, 6, 0x55, 0x55, "Cascade Lake-W (14 nm)", 0, {.Brand = "W-22##|W-32##", .StepFrom = 5}},
    {cvIntel, 6, 0x55, 0x55, "Cascade Lake-SP (14 nm)", 0, {.StepFrom = 5}},
    {cvIntel, 6, 0x55, 0x55, "Skylake-X (14 nm)", 0, {.Brand = "Core"}},
    {cvIntel, 6, 0x55, 0x55, "Skylake-W (14 nm)", 0, {.Brand = "W-21##|W-31##"}},
    {cvIntel, 6, 0x55, 0x55, "Skylake-D (14 nm)", 0, {.Brand = "D-21##"}},
    {cvIntel, 6, 0x55, 0x55, "Skylake-SP (14 nm)", 0, {}},
    {cvIntel, 6, 0x8E, 0x8E, "Amber Lake-Y (14 nm)", 0, {.Brand = "i#-8###Y|m#-8###Y|i#-10###Y", .StepFrom = 9}},
    {cvIntel, 6, 0x8E, 0x8E, "Kaby Lake-Y (14 nm)", 0, {.Brand = "m#-7Y##|i#-7Y##", .StepTo = 9}},
    {cvIntel, 6, 0x8E, 0x8E, "Kaby Lake-U (14 nm)", 0, {.StepTo = 9}},
    {cvIntel, 6, 0x8E, 0x8E, "Coffee Lake-U (14 nm)", 0, {.Brand = "i#-8##9U|i#-8##7U", .StepFrom = 10, .StepTo = 10}},
    {cvIntel, 6, 0x8E, 0x8E, "Kaby Lake-R (14 nm)", 0, {.StepFrom = 10, .StepTo = 10}},
    {cvIntel, 6, 0x8E, 0x8E, "Whiskey Lake-U (14 nm)", 0, {.StepFrom = 11, .StepTo = 11}},
    {cvIntel, 6, 0x8E, 0x8E, "Whiskey Lake-U (14 nm)", 0, {.Brand = "i#-8###U", .StepFrom = 12}},
    {cvIntel, 6, 0x8E, 0x8E, "Comet Lake-U (14 nm)", 0, {.StepFrom = 12}},
    {cvIntel, 6, 0x9E, 0x9E, "Kaby Lake-H (14 nm)", 0, {.Brand = "i#-7###H*|E3-15## v6*", .StepTo = 9}},
    {cvIntel, 6, 0x9E, 0x9E, "Kaby Lake-S (14 nm)", 0, {.StepTo = 9}},
    {cvIntel, 6, 0x9E, 0x9E, "Coffee Lake-H (14 nm)", 0, {.Brand = "i#-8###H*|i#-9###H*|E-21##M"}},
    {cvIntel, 6, 0x9E, 0x9E, "Coffee Lake-S (14 nm)", 0, {}},
    {cvIntel, 6, 0xA5, 0xA5, "Comet Lake-H (14 nm)", 0, {.Brand = "i#-10###H*|W-108##M"}},
    {cvIntel, 6, 0xA5, 0xA5, "Comet Lake-S (14 nm)", 0, {}},
    {cvIntel, 6, 0xA6, 0xA6, "Comet Lake-U (14 nm)", 0, {}},
    {cvIntel, 6, 0x66, 0x66, "Cannon Lake (10 nm)", 0, {}},
    {cvIntel, 6, 0x7D, 0x7E, "Ice Lake (10 nm)", 0, {}},
    {cvIntel, 6, 0x6A, 0x6A, "Ice Lake-SP (10 nm)", 0, {}},
    {cvIntel, 6, 0x6C, 0x6C, "Ice Lake-D (10 nm)", 0, {}},
    {cvIntel, 6, 0xA7, 0xA7, "Rocket Lake-S (14 nm)", 0, {}},
    {cvIntel, 6, 0x8C, 0x8C, "Tiger Lake-U (10 nm SuperFin)", 0, {}},
    {cvIntel, 6, 0x8D, 0x8D, "Tiger Lake-H (10 nm SuperFin)", 0, {}},
    {cvIntel, 6, 0x8A, 0x8A, "Lakefield (10 nm)", 0, {}},
    {cvIntel, 6, 0x97, 0x97, "Alder Lake-S (Intel 7)", 0, {}},
    {cvIntel, 6, 0x9A, 0x9A, "Alder Lake-H (Intel 7)", 0, {.Brand = "i#-12###H*"}},
    {cvIntel, 6, 0x9A, 0x9A, "Alder Lake-U (Intel 7)", 0, {.Brand = "i#-12##U"}},
    {cvIntel, 6, 0x9A, 0x9A, "Alder Lake-P (Intel 7)", 0, {}},
    {cvIntel, 6, 0xBE, 0xBE, "Alder Lake-N (Intel 7)", 0, {}},
    {cvIntel, 6, 0xB7, 0xB7, "Raptor Lake-HX (Intel 7)", 0, {.Brand = "i#-1####HX"}},
    {cvIntel, 6, 0xB7, 0xB7, "Raptor Lake-S (Intel 7)", 0, {}},
    {cvIntel, 6, 0xBF, 0xBF, "Raptor Lake-S (Intel 7)", 0, {}},
    {cvIntel, 6, 0xBA, 0xBA, "Raptor Lake-H (Intel 7)", 0, {.Brand = "i#-13###H|1##H"}},
    {cvIntel, 6, 0xBA, 0xBA, "Raptor Lake-U (Intel 7)", 0, {.Brand = "i#-13##U|1##U"}},
    {cvIntel, 6, 0xBA, 0xBA, "Raptor Lake-P (Intel 7)", 0, {}},
    {cvIntel, 6, 0xAA, 0xAA, "Meteor Lake-H (Intel 4)", 0, {.Brand = "1##H"}},
    {cvIntel, 6, 0xAA, 0xAA, "Meteor Lake-U (Intel 4)", 0, {.Brand = "1##U"}},
    {cvIntel, 6, 0xAA, 0xAA, "Meteor Lake (Intel 4)", 0, {}},
    {cvIntel, 6, 0xAC, 0xAC, "Meteor Lake-S (Intel 4)", 0, {}},
    {cvIntel, 6, 0xBD, 0xBD, "Lunar Lake (TSMC N3B)", 0, {}},
    {cvIntel, 6, 0xC6, 0xC6, "Arrow Lake-S (TSMC N3B)", 0, {}},
    {cvIntel, 6, 0xC5, 0xC5, "Arrow Lake-H (TSMC N3B)", 0, {}},
    {cvIntel, 6, 0xB5, 0xB5, "Arrow Lake-U (Intel 3)", 0, {}},
    {cvIntel, 6, 0xCC, 0xCC, "Panther Lake (Intel 18A)", 0, {}},
    {cvIntel, 6, 0x8F, 0x8F, "Sapphire Rapids (Intel 7)", 0, {}},
    {cvIntel, 6, 0xCF, 0xCF, "Emerald Rapids (Intel 7)", 0, {}},
    {cvIntel, 6, 0xAD, 0xAD, "Granite Rapids (Intel 3)", 0, {}},
    {cvIntel, 6, 0xAE, 0xAE, "Granite Rapids-D (Intel 3)", 0, {}},
    {cvIntel, 6, 0x57, 0x57, "Knights Landing (14 nm)", 0, {}},
    {cvIntel, 6, 0x85, 0x85, "Knights Mill (14 nm)", 0, {}},

    // ---- Intel Atom ----
    {cvIntel, 6, 0x1C, 0x1C, "Pineview (45 nm)", 123000000, {.StepFrom = 10, .CoresFrom = 1, .CoresTo = 1}},
    {cvIntel, 6, 0x1C, 0x1C, "Pineview (45 nm)", 176000000, {.StepFrom = 10, .CoresFrom = 2, .CoresTo = 2}},
    {cvIntel, 6, 0x1C, 0x1C, "Pineview (45 nm)", 0, {.StepFrom = 10}},
    {cvIntel, 6, 0x1C, 0x1C, "Silverthorne (45 nm)", 47000000, {.Brand = "Z5##|CPU Z5##"}},
    {cvIntel, 6, 0x1C, 0x1C, "Diamondville (45 nm)", 47000000, {.CoresFrom = 1, .CoresTo = 1}},
    {cvIntel, 6, 0x1C, 0x1C, "Diamondville (45 nm)", 0, {}},
    {cvIntel, 6, 0x26, 0x26, "Lincroft (45 nm)", 0, {}},
    {cvIntel, 6, 0x27, 0x27, "Penwell (32 nm)", 0, {}},
    {cvIntel, 6, 0x35, 0x35, "Cloverview (32 nm)", 0, {}},
    {cvIntel, 6, 0x36, 0x36, "Cedarview (32 nm)", 0, {}},
    {cvIntel, 6, 0x37, 0x37, "Bay Trail (22 nm)", 0, {}},
    {cvIntel, 6, 0x4A, 0x4A, "Merrifield (22 nm)", 0, {}},
    {cvIntel, 6, 0x5A, 0x5A, "Moorefield (22 nm)", 0, {}},
    {cvIntel, 6, 0x4D, 0x4D, "Rangeley (22 nm)", 0, {.Brand = "C2##8"}},
    {cvIntel, 6, 0x4D, 0x4D, "Avoton (22 nm)", 0, {}},
    {cvIntel, 6, 0x4C, 0x4C, "Cherry Trail (14 nm)", 0, {.Brand = "Z8###|x#-Z8###"}},
    {cvIntel, 6, 0x4C, 0x4C, "Braswell (14 nm)", 0, {}},
    {cvIntel, 6, 0x5C, 0x5C, "Apollo Lake (14 nm)", 0, {}},
    {cvIntel, 6, 0x5F, 0x5F, "Denverton (14 nm)", 0, {}},
    {cvIntel, 6, 0x7A, 0x7A, "Gemini Lake (14 nm)", 0, {}},
    {cvIntel, 6, 0x86, 0x86, "Snow Ridge (10 nm)", 0, {}},
    {cvIntel, 6, 0x96, 0x96, "Elkhart Lake (10 nm)", 0, {}},
    {cvIntel, 6, 0x9C, 0x9C, "Jasper Lake (10 nm)", 0, {}},
    {cvIntel, 6, 0xAF, 0xAF, "Sierra Forest (Intel 3)", 0, {}},
    {cvIntel, 6, 0xB6, 0xB6, "Grand Ridge (Intel 4)", 0, {}},
    {cvIntel, 6, 0xDD, 0xDD, "Clearwater Forest (Intel 18A)", 0, {}},

    // ---- AMD K8 (family 15) ----
    {cvAMD, 15, 0x04, 0x04, "ClawHammer (0.13" UM, 105900000, {}},
    {cvAMD, 15, 0x05, 0x05, "SledgeHammer (0.13" UM, 105900000, {}},
    {cvAMD, 15, 0x07, 0x07, "SledgeHammer (0.13" UM, 105900000, {.Brand = "Opteron"}},
    {cvAMD, 15, 0x07, 0x07, "ClawHammer (0.13" UM, 105900000, {}},
    {cvAMD, 15, 0x08, 0x08, "ClawHammer (0.13" UM, 0, {}},
    {cvAMD, 15, 0x0B, 0x0B, "ClawHammer (0.13" UM, 0, {}},
    {cvAMD, 15, 0x0C, 0x0C, "Paris (0.13" UM, 0, {.Brand = "Sempron"}},
    {cvAMD, 15, 0x0C, 0x0F, "Newcastle (0.13" UM, 68500000, {}},
    {cvAMD, 15, 0x18, 0x1F, "Palermo (90 nm)", 0, {.Brand = "Sempron"}},
    {cvAMD, 15, 0x18, 0x18, "Oakville (90 nm)", 0, {.Brand = "Mobile"}},
    {cvAMD, 15, 0x1C, 0x1C, "Oakville (90 nm)", 0, {.Brand = "Mobile"}},
    {cvAMD, 15, 0x18, 0x1F, "Winchester (90 nm)", 68500000, {}},
    {cvAMD, 15, 0x21, 0x21, "Egypt (90 nm)", 0, {.Brand = "Opteron 8##"}},
    {cvAMD, 15, 0x21, 0x21, "Denmark (90 nm)", 0, {.Brand = "Opteron 1##"}},
    {cvAMD, 15, 0x21, 0x21, "Italy (90 nm)", 0, {}},
    {cvAMD, 15, 0x23, 0x23, "Denmark (90 nm)", 0, {.Brand = "Opteron"}},
    {cvAMD, 15, 0x23, 0x23, "Toledo (90 nm)", 233200000, {}},
    {cvAMD, 15, 0x24, 0x24, "Lancaster (90 nm)", 0, {.Brand = "Turion"}},
    {cvAMD, 15, 0x24, 0x24, "Newark (90 nm)", 0, {}},
    {cvAMD, 15, 0x25, 0x25, "Venus (90 nm)", 0, {.Brand = "Opteron 1##"}},
    {cvAMD, 15, 0x25, 0x25, "Athens (90 nm)", 0, {.Brand = "Opteron 8##"}},
    {cvAMD, 15, 0x25, 0x25, "Troy (90 nm)", 0, {}},
    {cvAMD, 15, 0x27, 0x27, "Venus (90 nm)", 0, {.Brand = "Opteron"}},
    {cvAMD, 15, 0x27, 0x27, "San Diego (90 nm)", 0, {}},
    {cvAMD, 15, 0x2B, 0x2B, "Manchester (90 nm)", 0, {}},
    {cvAMD, 15, 0x2C, 0x2F, "Palermo (90 nm)", 0, {.Brand = "Sempron"}},
    {cvAMD, 15, 0x2C, 0x2F, "Venice (90 nm)", 0, {}},
    {cvAMD, 15, 0x41, 0x41, "Santa Rosa (90 nm)", 0, {}},
    {cvAMD, 15, 0xC1, 0xC1, "Santa Rosa (90 nm)", 0, {}},
    {cvAMD, 15, 0x43, 0x43, "Santa Ana (90 nm)", 0, {.Brand = "Opteron"}},
    {cvAMD, 15, 0x48, 0x48, "Taylor (90 nm)", 0, {.L2To = 256}},
    {cvAMD, 15, 0x48, 0x48, "Trinidad (90 nm)", 0, {}},
    {cvAMD, 15, 0x43, 0x4B, "Windsor (90 nm)", 227400000, {.L2From = 1024}},
    {cvAMD, 15, 0x43, 0x4B, "Windsor (90 nm)", 153800000, {.L2From = 512, .L2To = 512}},
    {cvAMD, 15, 0x43, 0x4B, "Windsor (90 nm)", 0, {}},
    {cvAMD, 15, 0x4C, 0x4C, "Keene (90 nm)", 0, {.Brand = "Sempron"}},
    {cvAMD, 15, 0x4C, 0x4C, "Richmond (90 nm)", 0, {}},
    {cvAMD, 15, 0x4F, 0x5F, "Manila (90 nm)", 0, {.Brand = "Sempron"}},
    {cvAMD, 15, 0x4F, 0x5F, "Orleans (90 nm)", 0, {}},
    {cvAMD, 15, 0x68, 0x68, "Tyler (65 nm)", 0, {}},
    {cvAMD, 15, 0x6B, 0x6B, "Brisbane (65 nm)", 0, {}},
    {cvAMD, 15, 0x6C, 0x6C, "Sherman (65 nm)", 0, {}},
    {cvAMD, 15, 0x7C, 0x7C, "Sherman (65 nm)", 0, {}},
    {cvAMD, 15, 0x6F, 0x7F, "Sparta (65 nm)", 0, {.Brand = "Sempron"}},
    {cvAMD, 15, 0x6F, 0x6F, "Lima (65 nm)", 0, {}},
    {cvAMD, 15, 0x7F, 0x7F, "Lima (65 nm)", 0, {}},
    // A model number of its own (a virtual machine's), an Opteron series that tells the core.
    {cvAMD, 15, 0x00, 0xFF, "Santa Ana (90 nm)", 0, {.Brand = "Opteron 12##"}},
    {cvAMD, 15, 0x00, 0xFF, "Santa Rosa (90 nm)", 0, {.Brand = "Opteron 22##|Opteron 82##"}},

    // ---- AMD K10 (family 16) and its relatives ----
    {cvAMD, 16, 0x02, 0x02, "Barcelona (65 nm)", 463000000, {.Brand = "Opteron"}},
    {cvAMD, 16, 0x02, 0x02, "Toliman (65 nm)", 463000000, {.Brand = "Triple-Core|X3|Phenom 8###*"}},
    {cvAMD, 16, 0x02, 0x02, "Kuma (65 nm)", 463000000, {.Brand = "Athlon"}},
    {cvAMD, 16, 0x02, 0x02, "Agena (65 nm)", 463000000, {.Brand = "Phenom"}},
    {cvAMD, 16, 0x02, 0x02, "Barcelona (65 nm)", 463000000, {}},
    {cvAMD, 16, 0x04, 0x04, "Suzuka (45 nm)", 0, {.Brand = "Opteron 13##"}},
    {cvAMD, 16, 0x04, 0x04, "Shanghai (45 nm)", 0, {.Brand = "Opteron"}},
    {cvAMD, 16, 0x04, 0x04, "Heka (45 nm)", 758000000, {.Brand = "X3"}},
    {cvAMD, 16, 0x04, 0x04, "Callisto (45 nm)", 758000000, {.Brand = "X2"}},
    {cvAMD, 16, 0x04, 0x04, "Deneb (45 nm)", 758000000, {}},
    {cvAMD, 16, 0x05, 0x05, "Rana (45 nm)", 300000000, {.Brand = "X3"}},
    {cvAMD, 16, 0x05, 0x05, "Propus (45 nm)", 300000000, {}},
    {cvAMD, 16, 0x06, 0x06, "Geneva (45 nm)", 0, {.Brand = "Neo|K###"}},
    {cvAMD, 16, 0x06, 0x06, "Caspian (45 nm)", 0, {.Brand = "M###"}},
    {cvAMD, 16, 0x06, 0x06, "Champlain (45 nm)", 0, {.Brand = "P###|N###"}},
    {cvAMD, 16, 0x06, 0x06, "Sargas (45 nm)", 0, {.CoresFrom = 1, .CoresTo = 1}},
    {cvAMD, 16, 0x06, 0x06, "Regor (45 nm)", 234000000, {}},
    {cvAMD, 16, 0x08, 0x08, "Lisbon (45 nm)", 0, {.Brand = "Opteron 41##"}},
    {cvAMD, 16, 0x08, 0x08, "Istanbul (45 nm)", 904000000, {}},
    {cvAMD, 16, 0x09, 0x09, "Magny-Cours (45 nm)", 0, {}},
    {cvAMD, 16, 0x0A, 0x0A, "Zosma (45 nm)", 904000000, {.Brand = "X4"}},
    {cvAMD, 16, 0x0A, 0x0A, "Thuban (45 nm)", 904000000, {}},
    {cvAMD, 17, 0x03, 0x03, "Griffin (65 nm)", 0, {}},
    {cvAMD, 18, 0x00, 0x0F, "Llano (32 nm)", 1178000000, {}},
    {cvAMD, 20, 0x00, 0x0F, "Ontario (40 nm)", 0, {.Brand = "C-*"}},
    {cvAMD, 20, 0x00, 0x0F, "Desna (40 nm)", 0, {.Brand = "Z-*"}},
    {cvAMD, 20, 0x00, 0x0F, "Zacate (40 nm)", 0, {}},

    // ---- AMD Bulldozer family (family 21) ----
    {cvAMD, 21, 0x00, 0x01, "Interlagos (32 nm)", 0, {.Brand = "Opteron 62##"}},
    {cvAMD, 21, 0x00, 0x01, "Valencia (32 nm)", 0, {.Brand = "Opteron 42##"}},
    {cvAMD, 21, 0x00, 0x01, "Zurich (32 nm)", 0, {.Brand = "Opteron 32##"}},
    {cvAMD, 21, 0x00, 0x01, "Zambezi (32 nm)", 1200000000, {}},
    {cvAMD, 21, 0x02, 0x02, "Abu Dhabi (32 nm)", 0, {.Brand = "Opteron 63##"}},
    {cvAMD, 21, 0x02, 0x02, "Seoul (32 nm)", 0, {.Brand = "Opteron 43##"}},
    {cvAMD, 21, 0x02, 0x02, "Delhi (32 nm)", 0, {.Brand = "Opteron 33##"}},
    {cvAMD, 21, 0x02, 0x02, "Vishera (32 nm)", 1200000000, {}},
    {cvAMD, 21, 0x10, 0x10, "Trinity (32 nm)", 1303000000, {}},
    {cvAMD, 21, 0x13, 0x13, "Richland (32 nm)", 1303000000, {}},
    {cvAMD, 21, 0x30, 0x30, "Kaveri (28 nm)", 2410000000, {}},
    {cvAMD, 21, 0x38, 0x38, "Godavari (28 nm)", 2410000000, {}},
    {cvAMD, 21, 0x60, 0x60, "Carrizo (28 nm)", 3100000000, {}},
    {cvAMD, 21, 0x65, 0x65, "Bristol Ridge (28 nm)", 3100000000, {}},
    {cvAMD, 21, 0x70, 0x70, "Stoney Ridge (28 nm)", 0, {}},

    // ---- AMD Jaguar and Puma (family 22) ----
    {cvAMD, 22, 0x00, 0x0F, "Temash (28 nm)", 0, {.Brand = "A#-1###*"}},
    {cvAMD, 22, 0x00, 0x0F, "Kabini (28 nm)", 0, {}},
    {cvAMD, 22, 0x30, 0x3F, "Mullins (28 nm)", 0, {.Brand = "Micro-*"}},
    {cvAMD, 22, 0x30, 0x3F, "Beema (28 nm)", 0, {}},

    // ---- AMD Zen, Zen+ and Zen 2 (family 23) ----
    {cvAMD, 23, 0x01, 0x01, "Whitehaven (14 nm)", 0, {.Brand = "Threadripper"}},
    {cvAMD, 23, 0x01, 0x01, "Snowy Owl (14 nm)", 0, {.Brand = "EPYC 3###*"}},
    {cvAMD, 23, 0x01, 0x01, "Naples (14 nm)", 0, {.Brand = "EPYC"}},
    {cvAMD, 23, 0x01, 0x01, "Summit Ridge (14 nm)", 4800000000, {}},
    {cvAMD, 23, 0x08, 0x08, "Colfax (12 nm)", 0, {.Brand = "Threadripper"}},
    {cvAMD, 23, 0x08, 0x08, "Pinnacle Ridge (12 nm)", 4800000000, {}},
    {cvAMD, 23, 0x11, 0x11, "Raven Ridge (14 nm)", 4940000000, {}},
    {cvAMD, 23, 0x18, 0x18, "Picasso (12 nm)", 4940000000, {}},
    {cvAMD, 23, 0x20, 0x20, "Dali (14 nm)", 0, {}},
    {cvAMD, 23, 0x31, 0x31, "Castle Peak (7 nm)", 0, {.Brand = "Threadripper"}},
    {cvAMD, 23, 0x31, 0x31, "Rome (7 nm)", 0, {}},
    {cvAMD, 23, 0x60, 0x60, "Renoir (7 nm)", 9800000000, {}},
    {cvAMD, 23, 0x68, 0x68, "Lucienne (7 nm)", 9800000000, {}},
    {cvAMD, 23, 0x71, 0x71, "Matisse (7 nm)", 0, {}},
    {cvAMD, 23, 0x90, 0x91, "Van Gogh (7 nm)", 0, {}},
    {cvAMD, 23, 0xA0, 0xAF, "Mendocino (6 nm)", 0, {}},

    // ---- AMD Zen 3 and Zen 4 (family 25) ----
    {cvAMD, 25, 0x00, 0x0F, "Chagall (7 nm)", 0, {.Brand = "Threadripper"}},
    {cvAMD, 25, 0x00, 0x0F, "Milan (7 nm)", 0, {}},
    {cvAMD, 25, 0x10, 0x1F, "Storm Peak (5 nm)", 0, {.Brand = "Threadripper"}},
    {cvAMD, 25, 0x10, 0x1F, "Genoa (5 nm)", 0, {}},
    {cvAMD, 25, 0x20, 0x2F, "Vermeer (7 nm)", 0, {}},
    {cvAMD, 25, 0x40, 0x4F, "Rembrandt (6 nm)", 13100000000, {}},
    {cvAMD, 25, 0x50, 0x5F, "Barcel\xF3 (7 nm)", 10700000000, {.Brand = "5#25U|5#25C"}},
    {cvAMD, 25, 0x50, 0x5F, "Cezanne (7 nm)", 10700000000, {}},
    {cvAMD, 25, 0x60, 0x6F, "Dragon Range (5 nm)", 0, {.Brand = "####HX*"}},
    {cvAMD, 25, 0x60, 0x6F, "Raphael (5 nm)", 0, {}},
    {cvAMD, 25, 0x75, 0x75, "Hawk Point (4 nm)", 25000000000, {}},
    {cvAMD, 25, 0x78, 0x78, "Phoenix 2 (4 nm)", 0, {}},
    {cvAMD, 25, 0x70, 0x7F, "Phoenix (4 nm)", 25000000000, {}},
    {cvAMD, 25, 0xA0, 0xAF, "Siena (5 nm)", 0, {.Brand = "EPYC 8###*"}},
    {cvAMD, 25, 0xA0, 0xAF, "Bergamo (5 nm)", 0, {}},

    // ---- AMD Zen 5 (family 26) ----
    {cvAMD, 26, 0x00, 0x0F, "Shimada Peak (4 nm)", 0, {.Brand = "Threadripper"}},
    {cvAMD, 26, 0x00, 0x0F, "Turin (4 nm)", 0, {}},
    {cvAMD, 26, 0x10, 0x1F, "Turin Dense (3 nm)", 0, {}},
    {cvAMD, 26, 0x20, 0x2F, "Strix Point (4 nm)", 0, {}},
    {cvAMD, 26, 0x40, 0x4F, "Fire Range (4 nm)", 0, {.Brand = "####HX*"}},
    {cvAMD, 26, 0x40, 0x4F, "Granite Ridge (4 nm)", 0, {}},
    {cvAMD, 26, 0x60, 0x6F, "Krackan Point (4 nm)", 0, {}},
    {cvAMD, 26, 0x70, 0x7F, "Strix Halo (4 nm)", 0, {}},

    // ---- Hygon, Zhaoxin ----
    {cvHygon, 24, 0x00, 0x01, "Dhyana (14 nm)", 0, {}},
    {cvHygon, 24, 0x02, 0xFF, "Dhyana", 0, {}},
    {cvZhaoxin, 6, 0x0F, 0x0F, "ZhangJiang (28 nm)", 0, {.StepFrom = 14}},
    {cvZhaoxin, 7, 0x1B, 0x1B, "WuDaoKou (28 nm)", 0, {}},
    {cvZhaoxin, 7, 0x3B, 0x3B, "LuJiaZui (16 nm)", 0, {}},
};
#undef UM

bool IsWordChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
         c == '+';
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && !IsWordChar(text[i])) ++i;
    std::string w;
    while (i < text.size() && IsWordChar(text[i])) w += Lower(text[i++]);
    // The marks and the filler word say nothing: "Opteron(tm) Processor 6276" is "Opteron 6276".
    if (!w.empty() && w != "r" && w != "tm" && w != "processor") words.push_back(w);
  }
  return words;
}

bool WordMatches(const std::string& word, const char* pattern, size_t length) {
  size_t j = 0;
  for (size_t i = 0; i < length; ++i) {
    const char p = pattern[i];
    if (p == '*' && i + 1 == length) return true;
    if (j >= word.size()) return false;
    const char c = word[j++];
    if (p == '#') {
      if (!((c >= '0' && c <= '9') || c == 'x')) return false;
    } else if (Lower(p) != c) {
      return false;
    }
  }
  return j == word.size();
}

// One alternative: its words must stand one after another somewhere in the brand.
bool RunMatches(const std::vector<std::string>& words, const char* run, size_t length) {
  std::vector<std::pair<const char*, size_t>> parts;
  for (size_t i = 0; i < length;) {
    while (i < length && run[i] == ' ') ++i;
    const size_t b = i;
    while (i < length && run[i] != ' ') ++i;
    if (i > b) parts.emplace_back(run + b, i - b);
  }
  if (parts.empty()) return false;
  for (size_t at = 0; at + parts.size() <= words.size(); ++at) {
    size_t k = 0;
    while (k < parts.size() && WordMatches(words[at + k], parts[k].first, parts[k].second)) ++k;
    if (k == parts.size()) return true;
  }
  return false;
}

bool Matches(const std::vector<std::string>& words, const char* patterns) {
  for (const char* p = patterns;;) {
    const char* bar = p;
    while (*bar && *bar != '|') ++bar;
    if (RunMatches(words, p, static_cast<size_t>(bar - p))) return true;
    if (!*bar) return false;
    p = bar + 1;
  }
}

bool Within(int v, int from, int to) { return v >= from && v <= to; }
}  // namespace

bool CpuBrandMatches(const std::string& brand, const char* patterns) {
  return patterns && Matches(Words(brand), patterns);
}

bool IsGenericVirtualBrand(const std::string& brand) {
  return CpuBrandMatches(brand, "QEMU|KVM|Virtual");
}

bool FindCpuCodeName(const TCpuNameKey& k, TCpuCodeName& found) {
  TCpuSignature s;
  s.Vendor = k.Vendor, s.Family = k.Family, s.Model = k.Model;
  s.ExtFamily = k.ExtFamily, s.ExtModel = k.ExtModel;
  const int family = s.EffectiveFamily(), model = s.EffectiveModel();
  // The brand index speaks where an early processor has no brand string.
  std::string brand = CpuBrandName(k.BrandString);
  if (k.Vendor == cvIntel)
    brand += std::string(" ") + IntelBrandName(k.Brand, static_cast<uint32_t>(s.Family << 8 | s.Model << 4 | k.Stepping));
  std::vector<std::string> words;
  bool split = false;
  for (const TRow& r : kRows) {
    if (r.Vendor != k.Vendor || r.Family != family || !Within(model, r.ModelFrom, r.ModelTo)) continue;
    const TWhen& w = r.When;
    if (!Within(k.Stepping, w.StepFrom, w.StepTo) || !Within(k.Level2, w.L2From, w.L2To) ||
        !Within(k.Level3, w.L3From, w.L3To) || !Within(k.Cores, w.CoresFrom, w.CoresTo))
      continue;
    if (w.Brand || w.NotBrand) {
      if (!split) words = Words(brand), split = true;
      if (w.Brand && !Matches(words, w.Brand)) continue;
      if (w.NotBrand && Matches(words, w.NotBrand)) continue;
    }
    found.Code = r.Code;
    found.Transistors = r.Transistors;
    return true;
  }
  return false;
}
