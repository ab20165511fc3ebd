#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QVector>

#include <algorithm>
#include <cmath>

/// What ffprobe and ffmpeg make of an audio file or stream: its length, tags and samples.
namespace AudioProbe {

inline bool available() {
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty();
}

struct Info {
    bool ok = false;
    double seconds = 0;
    QMap<QString, QString> tags; ///< keys upper-cased
};

inline Info probe(const QString& file) {
    QProcess p;
    p.start("ffprobe",
            {"-v", "error", "-show_entries", "format=duration:format_tags:stream_tags", "-of", "json", file});
    Info info;
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return info;
    const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const QJsonObject format = root.value("format").toObject();
    info.seconds = format.value("duration").toString().toDouble();
    QJsonObject tags = format.value("tags").toObject();
    const QJsonArray streams = root.value("streams").toArray();
    if (!streams.isEmpty()) {
        const QJsonObject streamTags = streams.first().toObject().value("tags").toObject();
        for (auto it = streamTags.begin(); it != streamTags.end(); ++it)
            tags.insert(it.key(), it.value());
    }
    for (auto it = tags.begin(); it != tags.end(); ++it)
        info.tags.insert(it.key().toUpper(), it.value().toString());
    info.ok = true;
    return info;
}

/// Mono 16-bit samples at 16 kHz, decoded by ffmpeg from a file.
inline QVector<qint16> decode(const QString& file) {
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-i", file, "-f", "s16le", "-ac", "1", "-ar", "16000", "-"});
    p.waitForFinished(15000);
    const QByteArray bytes = p.readAllStandardOutput();
    QVector<qint16> out(bytes.size() / 2);
    memcpy(out.data(), bytes.constData(), size_t(out.size()) * 2);
    return out;
}

/// The share of the signal's power at hz (Goertzel over the samples from..to): near 1 for a pure
/// tone of that frequency, near 0 for another tone, noise or silence.
inline double toneShare(const QVector<qint16>& s, int hz, int rate = 16000, qsizetype from = 0, qsizetype to = -1) {
    if (to < 0 || to > s.size())
        to = s.size();
    const qsizetype n = to - from;
    if (n < rate / 20)
        return 0;
    const double w = 2 * M_PI * hz / rate;
    const double c = 2 * std::cos(w);
    double s1 = 0, s2 = 0, energy = 0;
    for (qsizetype i = from; i < to; ++i) {
        const double x = s[i] / 32768.0;
        energy += x * x;
        const double s0 = x + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    const double meanSquare = energy / double(n);
    if (meanSquare < 1e-6)
        return 0;
    return (2.0 * power / (double(n) * double(n))) / meanSquare;
}

/// The median of toneShare over quarter-second windows: a playback glitch on a loaded machine breaks
/// the tone's phase once, which spoils one window, not the whole measure.
inline double toneMedian(const QVector<qint16>& s, int hz, int rate = 16000, qsizetype from = 0, qsizetype to = -1) {
    if (to < 0 || to > s.size())
        to = s.size();
    QVector<double> shares;
    for (qsizetype at = from; at + rate / 4 <= to; at += rate / 4)
        shares.append(toneShare(s, hz, rate, at, at + rate / 4));
    if (shares.isEmpty())
        return 0;
    std::sort(shares.begin(), shares.end());
    return shares.at(shares.size() / 2);
}

} // namespace AudioProbe
