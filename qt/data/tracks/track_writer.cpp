#include "data/tracks/track_writer.h"

#include "data/model/event_space.h"
#include "data/model/gps_event.h"
#include "data/io/utc_time.h"

#include <QBuffer>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace {

bool placed(const gps_event& e)
{
    return std::isfinite(e.longitude) && std::isfinite(e.latitude);
}

// A plain decimal (no exponent, as xsd:decimal and readers of all three formats take it) with at most
// digits places, trailing zeros dropped.
QByteArray decimal(double v, int digits)
{
    QByteArray text = QByteArray::number(v, 'f', digits);
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text == "-0" ? QByteArray("0") : text;
}

// Degrees to 1e-7 (about a centimetre, the precision of the tags' files); heights to the millimetre.
constexpr int degree_digits = 7;
constexpr int metre_digits = 3;

QString degrees(double v)
{
    return QString::fromLatin1(decimal(v, degree_digits));
}

QString metres(double v)
{
    return QString::fromLatin1(decimal(v, metre_digits));
}

// The earliest and latest time of the fixes.
std::pair<qint64, qint64> time_span(const std::vector<const gps_event*>& fixes)
{
    qint64 begin = fixes.front()->timestamp, end = begin;
    for (const gps_event* e : fixes) {
        begin = std::min(begin, e->timestamp);
        end = std::max(end, e->timestamp);
    }
    return {begin, end};
}

std::vector<const gps_event*> placed_fixes(const event_space& fixes)
{
    std::vector<const gps_event*> kept;
    kept.reserve(fixes.events().size());
    for (const gps_event* e : fixes.events())
        if (placed(*e))
            kept.push_back(e);
    return kept;
}

// Calls the step every few thousand fixes; false once it stopped the write.
class steps
{
public:
    steps(const track_writer::step& going_on, std::size_t total) : going_on_(going_on), total_(qint64(total))
    {
    }
    bool at(std::size_t fix)
    {
        stopped_ = stopped_ || (going_on_ && fix % 4096 == 0 && !going_on_(qint64(fix), total_));
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    const track_writer::step& going_on_;
    const qint64 total_;
    bool stopped_ = false;
};

// Text XML 1.0 can hold: a control character it cannot (all of C0 but tab, line feed and carriage
// return) written as \xHH, so a name holding one still names its track.
QString xml_text(const QString& text)
{
    QString kept;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            kept += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            kept += c;
    }
    return kept;
}

// The XML declaration, indented by one space a level, and the document's default namespace.
void start_document(QXmlStreamWriter& xml, const QString& name_space)
{
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(name_space);
}

bool write_gpx(const std::vector<const gps_event*>& fixes, const QString& name, QIODevice& out, steps& step)
{
    // The writer's many small pieces gather in memory and go to out a thousand fixes at a time.
    QByteArray chunk;
    QBuffer gathered(&chunk);
    gathered.open(QIODevice::WriteOnly);
    const auto pass_on = [&] {
        const bool whole = out.write(chunk) == chunk.size();
        chunk.clear();
        gathered.seek(0);
        return whole;
    };
    QXmlStreamWriter xml(&gathered);
    start_document(xml, QStringLiteral("http://www.topografix.com/GPX/1/1"));
    xml.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("xsi"));
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("Dornvale"));
    xml.writeAttribute(
        QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("schemaLocation"),
        QStringLiteral("http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd"));
    xml.writeStartElement(QStringLiteral("trk"));
    xml.writeTextElement(QStringLiteral("name"), xml_text(name));
    xml.writeStartElement(QStringLiteral("trkseg"));
    for (std::size_t i = 0; i < fixes.size() && step.at(i); ++i) {
        const gps_event* e = fixes[i];
        xml.writeStartElement(QStringLiteral("trkpt"));
        xml.writeAttribute(QStringLiteral("lat"), degrees(e->latitude));
        xml.writeAttribute(QStringLiteral("lon"), degrees(e->longitude));
        if (std::isfinite(e->height))
            xml.writeTextElement(QStringLiteral("ele"), metres(e->height));
        xml.writeTextElement(QStringLiteral("time"), track_writer::time_text(e->timestamp));
        xml.writeEndElement();
        if (i % 1024 == 1023 && !pass_on())
            return false;
    }
    xml.writeEndDocument();
    return !xml.hasError() && pass_on();
}

bool write_kml(const std::vector<const gps_event*>& fixes, const QString& name, QIODevice& out, steps& step)
{
    QXmlStreamWriter xml(&out);
    start_document(xml, QStringLiteral("http://www.opengis.net/kml/2.2"));
    xml.writeStartElement(QStringLiteral("kml"));
    xml.writeStartElement(QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("name"), xml_text(name));
    if (!fixes.empty()) {
        xml.writeStartElement(QStringLiteral("Placemark"));
        xml.writeTextElement(QStringLiteral("name"), xml_text(name));
        const auto [begin, end] = time_span(fixes);
        xml.writeStartElement(QStringLiteral("TimeSpan"));
        xml.writeTextElement(QStringLiteral("begin"), track_writer::time_text(begin));
        xml.writeTextElement(QStringLiteral("end"), track_writer::time_text(end));
        xml.writeEndElement();
        // A line needs two positions: a lone fix is a point.
        xml.writeStartElement(fixes.size() > 1 ? QStringLiteral("LineString") : QStringLiteral("Point"));
        if (fixes.size() > 1)
            xml.writeTextElement(QStringLiteral("tessellate"), QStringLiteral("1"));
        QString coordinates;
        coordinates.reserve(int(fixes.size()) * 24);
        for (std::size_t i = 0; i < fixes.size() && step.at(i); ++i) {
            if (!coordinates.isEmpty())
                coordinates += QLatin1Char(' ');
            coordinates += degrees(fixes[i]->longitude) + QLatin1Char(',') + degrees(fixes[i]->latitude);
        }
        xml.writeTextElement(QStringLiteral("coordinates"), coordinates);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError();
}

QByteArray json_string(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // the string without the array's brackets
}

void append_position(QByteArray& text, const gps_event& e, bool with_height)
{
    text += '[';
    text += decimal(e.longitude, degree_digits);
    text += ',';
    text += decimal(e.latitude, degree_digits);
    if (with_height && std::isfinite(e.height)) {
        text += ',';
        text += decimal(e.height, metre_digits);
    }
    text += ']';
}

void append_time(QByteArray& text, qint64 msecs)
{
    std::string time;
    utc_time::append(time, msecs);
    text.append(time.data(), int(time.size()));
}

// Written as text, not through QJsonDocument: a track of a million fixes stays a stream. Each piece
// is appended where it goes, without a string of its own.
bool write_geojson(const std::vector<const gps_event*>& fixes, const QString& name, QIODevice& out,
                   steps& step)
{
    QByteArray text = "{\"type\":\"FeatureCollection\",\"name\":" + json_string(name) + ",\"features\":[";
    bool first = true;
    const auto start_feature = [&](const char* geometry_type) {
        text += (first ? "\n" : ",\n");
        first = false;
        text += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"";
        text += geometry_type;
        text += "\",\"coordinates\":";
    };
    if (fixes.size() > 1) {
        start_feature("LineString");
        text += '[';
        for (std::size_t i = 0; i < fixes.size(); ++i) {
            if (i)
                text += ',';
            append_position(text, *fixes[i], false);
        }
        const auto [begin, end] = time_span(fixes);
        text += "]},\"properties\":{\"name\":" + json_string(name) + ",\"begin\":\"";
        append_time(text, begin);
        text += "\",\"end\":\"";
        append_time(text, end);
        text += "\"}}";
    }
    for (std::size_t i = 0; i < fixes.size() && step.at(i); ++i) {
        const gps_event& e = *fixes[i];
        start_feature("Point");
        append_position(text, e, true);
        text += "},\"properties\":{\"time\":\"";
        append_time(text, e.timestamp);
        text += "\",\"fix\":";
        text += QByteArray::number(qulonglong(i));
        text += "}}";
        if (text.size() > (1 << 20)) {
            if (out.write(text) != text.size())
                return false;
            text.clear();
        }
    }
    text += "\n]}\n";
    return out.write(text) == text.size();
}

} // namespace

QString track_writer::time_text(qint64 msecs)
{
    return utc_time::text(msecs);
}

qint64 track_writer::left_out(const event_space& fixes)
{
    return std::count_if(fixes.events().begin(), fixes.events().end(),
                         [](const gps_event* e) { return !placed(*e); });
}

bool track_writer::write(track_format format, const event_space& fixes, const QString& name, QIODevice& out,
                         QString* reason, const step& going_on)
{
    const std::vector<const gps_event*> kept = placed_fixes(fixes);
    steps step(going_on, kept.size());
    bool written = false;
    switch (format) {
    case track_format::gpx:
        written = write_gpx(kept, name, out, step);
        break;
    case track_format::kml:
        written = write_kml(kept, name, out, step);
        break;
    case track_format::geojson:
        written = write_geojson(kept, name, out, step);
        break;
    }
    if (step.stopped())
        written = false;
    if (!written && reason)
        *reason = step.stopped()                ? QStringLiteral("cancelled")
                  : out.errorString().isEmpty() ? QStringLiteral("the file could not be written")
                                                : out.errorString();
    return written;
}
