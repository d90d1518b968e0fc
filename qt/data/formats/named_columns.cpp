#include "data/formats/named_columns.h"

#include "data/formats/csv_record.h"

named_columns::named_columns(const char* begin, const char* end)
{
    csv_record::split(begin, end, [this](std::size_t, const char* b, const char* e) {
        QByteArray name = csv_record::text(b, e).trimmed().toLower();
        for (char& c : name) {
            if (c == ':' || c == '-' || c == '.')
                c = '_';
        }
        names_.push_back(name);
        return true;
    });
}

int named_columns::find(const char* name) const
{
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == name)
            return static_cast<int>(i);
    }
    return -1;
}

int named_columns::find_any(const char* name, const char* other) const
{
    const int first = find(name);
    return first >= 0 ? first : find(other);
}
