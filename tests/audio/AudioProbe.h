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

/// The rate the tests make and decode their samples at.
constexpr int kRate = 16000;

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
    p.start("ffprobe", {"-v", "error", "-show_entries", "format=duration:stream_tags", "-of", "json", file});
    Info info;
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return info;
    const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    info.seconds = root.value("format").toObject().value("duration").toString().toDouble();
    // An Ogg Opus file keeps its tags with its one stream.
    const QJsonObject tags = root.value("streams").toArray().first().toObject().value("tags").toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it)
        info.tags.insert(it.key().toUpper(), it.value().toString());
    info.ok = true;
    return info;
}

/// Mono 16-bit samples from raw little-endian bytes.
inline QVector<qint16> samples(const QByteArray& bytes) {
    QVector<qint16> out(bytes.size() / 2);
    memcpy(out.data(), bytes.constData(), size_t(out.size()) * 2);
    return out;
}

/// Mono 16-bit samples at kRate, decoded by ffmpeg from a file.
inline QVector<qint16> decode(const QString& file) {
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-i", file, "-f", "s16le", "-ac", "1", "-ar", QString::number(kRate), "-"});
    p.waitForFinished(15000);
    return samples(p.readAllStandardOutput());
}

/// A tone of hz (silence for 0) at kRate, as raw 16-bit bytes as a sound card delivers them.
inline QByteArray tone(int hz, double seconds, double amplitude = 0.5) {
    const int n = int(seconds * kRate);
    QByteArray pcm(n * 2, Qt::Uninitialized);
    auto* s = reinterpret_cast<qint16*>(pcm.data());
    for (int i = 0; i < n; ++i)
        s[i] = qint16(amplitude * 32767 * std::sin(2 * M_PI * hz * i / kRate));
    return pcm;
}

/// The share of the signal's power at hz (Goertzel over the samples from..to): near 1 for a pure
/// tone of that frequency, near 0 for another tone, noise or silence.
inline double toneShare(const QVector<qint16>& s, int hz, qsizetype from = 0, qsizetype to = -1) {
    if (to < 0 || to > s.size())
        to = s.size();
    const qsizetype n = to - from;
    if (n < kRate / 20)
        return 0;
    const double w = 2 * M_PI * hz / kRate;
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
inline double toneMedian(const QVector<qint16>& s, int hz, qsizetype from = 0, qsizetype to = -1) {
    if (to < 0 || to > s.size())
        to = s.size();
    QVector<double> shares;
    for (qsizetype at = from; at + kRate / 4 <= to; at += kRate / 4)
        shares.append(toneShare(s, hz, at, at + kRate / 4));
    if (shares.isEmpty())
        return 0;
    std::sort(shares.begin(), shares.end());
    return shares.at(shares.size() / 2);
}

} // namespace AudioProbe
