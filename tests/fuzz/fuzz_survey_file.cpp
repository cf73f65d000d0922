// libFuzzer target: any bytes as a data file read back by qor-export. The
// reader never fails on them; a file it reads has readings with finite
// channels and positions interpolated between their two fixes, and every
// format writes it.
// Sources: export/survey_file.cpp export/export_formats.cpp export/svg_map.cpp
// Sources: display/stored_records.cpp gps/fix_readouts.cpp gps/label_exchange.cpp
// Sources: gps/nmea_sentence.cpp map/position_file.cpp gps/sensor_offset.cpp gps/utm.cpp
// Sources: instrument/reading_rules.cpp instrument/em61mk2_decode.cpp instrument/acq.cpp
// Sources: logging/record_format.cpp settings/settings.cpp
#include "export/export_formats.h"
#include "export/survey_file.h"
#include "export/svg_map.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

void OnNullingFinished(const float*, const float*) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Survey s;
    ParseSurvey(data, size, "FUZZ.P61", ExportOptions(), &s);
    std::string out, why;
    CheckReport(s, out);
    if (!s.Fatal.empty()) return 0;
    for (const SurveyReading& r : s.Readings) {
        if (r.Decoded)
            for (float c : r.Ch)
                if (!std::isfinite(c)) std::abort();
        if (r.Source == POSITION_INTERPOLATED) {
            if (r.Fix < 0 || size_t(r.Fix) + 1 >= s.Fixes.size()) std::abort();
            const SurveyFix& a = s.Fixes[r.Fix];
            const SurveyFix& b = s.Fixes[r.Fix + 1];
            const double slack = 1e-6 * (1 + std::fabs(a.SensorE) + std::fabs(b.SensorE));
            if (!(r.E >= std::fmin(a.SensorE, b.SensorE) - slack && r.E <= std::fmax(a.SensorE, b.SensorE) + slack))
                std::abort();
        }
    }
    CsvText(s, out);
    GeoJsonText(s, out);
    KmlText(s, out);
    SvgMapText(s, MapOptions(), out, why);
    return 0;
}
