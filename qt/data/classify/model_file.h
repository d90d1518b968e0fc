#pragma once

#include <QString>

#include <optional>

class behaviour_model;

// A behaviour model as a .dvmodel file: one JSON object holding the settings, the behaviours and
// their colours, the features with their units, and the booster's bytes (XGBoost's UBJSON, base64).
class model_file
{
public:
    static constexpr int version = 1;
    static const char suffix[]; // "dvmodel"

    // Writes model to path atomically (a temporary file renamed over it). False with the reason.
    static bool write(const QString& path, const behaviour_model& model, QString* error);
    // The model in path; nothing, with the reason naming the file, when it cannot be read, is
    // damaged or is no behaviour model.
    static std::optional<behaviour_model> read(const QString& path, QString* error);
};
