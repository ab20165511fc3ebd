#include "OpusFileWriter.h"

#include "AudioCapture.h"

#include <ogg/ogg.h>
#include <opus/opusenc.h>

#include <QtEndian>

namespace {

// Speech from a scanner: 20 kbit/s keeps it clear at a tenth of a megabyte a minute.
constexpr int kBitrate = 20000;
// Header room for the DURATION comment written when the file closes.
constexpr int kCommentPadding = 512;
const QByteArray kDurationKey = QByteArrayLiteral("DURATION=");

quint32 le32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// The header and body lengths of the Ogg page at offset, or false when there is none.
bool pageAt(const QByteArray& data, qsizetype offset, qsizetype& headerLen, qsizetype& bodyLen) {
    if (offset + 27 > data.size() || !data.mid(offset, 4).startsWith("OggS"))
        return false;
    const int segments = quint8(data.at(offset + 26));
    headerLen = 27 + segments;
    if (offset + headerLen > data.size())
        return false;
    bodyLen = 0;
    for (int i = 0; i < segments; ++i)
        bodyLen += quint8(data.at(offset + 27 + i));
    return offset + headerLen + bodyLen <= data.size();
}

} // namespace

OpusFileWriter::~OpusFileWriter() {
    if (m_encoder)
        discard();
}

bool OpusFileWriter::open(const QString& path, int sampleRate, const Tags& tags) {
    m_failed = false;
    m_error.clear();
    m_samples = 0;
    m_bytes = 0;
    m_rate = sampleRate;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_failed = true;
        m_error = m_file.errorString();
        return false;
    }
    OggOpusComments* comments = ope_comments_create();
    for (const auto& [name, value] : tags) {
        if (!value.isEmpty())
            ope_comments_add(comments, name.toUtf8().constData(), value.toUtf8().constData());
    }
    // Last, so that setting it later never moves another comment.
    ope_comments_add(comments, "DURATION", "0");
    const OpusEncCallbacks callbacks = {&OpusFileWriter::onWrite, &OpusFileWriter::onClose};
    int error = OPE_OK;
    m_encoder = ope_encoder_create_callbacks(&callbacks, this, comments, sampleRate, 1, 0, &error);
    ope_comments_destroy(comments);
    if (!m_encoder) {
        fail(QString::fromUtf8(ope_strerror(error)));
        m_file.close();
        m_file.remove();
        return false;
    }
    ope_encoder_ctl(m_encoder, OPUS_SET_BITRATE(kBitrate));
    ope_encoder_ctl(m_encoder, OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
    ope_encoder_ctl(m_encoder, OPE_SET_COMMENT_PADDING(kCommentPadding));
    // Pages of half a second, and no more than 100 ms held back for the encoder's look-ahead (48 kHz
    // granules): the audio is on disk soon after it is heard.
    ope_encoder_ctl(m_encoder, OPE_SET_DECISION_DELAY(4800));
    ope_encoder_ctl(m_encoder, OPE_SET_MUXING_DELAY(24000));
    // The file exists with its headers from the first moment, so a crash leaves a readable file.
    if (ope_encoder_flush_header(m_encoder) != OPE_OK && !m_failed)
        fail(QStringLiteral("cannot write the header"));
    m_file.flush();
    return !m_failed;
}

bool OpusFileWriter::write(const qint16* pcm, int count) {
    if (!m_encoder || m_failed)
        return false;
    if (count <= 0)
        return true;
    const int result = ope_encoder_write(m_encoder, pcm, count);
    if (result != OPE_OK && !m_failed)
        fail(QString::fromUtf8(ope_strerror(result)));
    if (!m_failed)
        m_samples += count;
    return !m_failed;
}

bool OpusFileWriter::finish() {
    if (!m_encoder)
        return false;
    if (!m_failed) {
        const int result = ope_encoder_drain(m_encoder);
        if (result != OPE_OK && !m_failed)
            fail(QString::fromUtf8(ope_strerror(result)));
    }
    destroyEncoder();
    if (m_failed)
        return false;
    const QString duration = QString::number(durationMs() / 1000.0, 'f', 3);
    if (!setDurationTag(m_file.fileName(), duration))
        qCWarning(lcAudio) << "cannot set the duration tag of" << m_file.fileName();
    return true;
}

void OpusFileWriter::discard() {
    destroyEncoder();
    m_file.remove();
}

void OpusFileWriter::destroyEncoder() {
    if (m_encoder) {
        ope_encoder_destroy(m_encoder);
        m_encoder = nullptr;
    }
    if (m_file.isOpen())
        m_file.close();
}

void OpusFileWriter::fail(const QString& why) {
    m_failed = true;
    m_error = why;
}

int OpusFileWriter::onWrite(void* self, const unsigned char* data, int length) {
    auto* writer = static_cast<OpusFileWriter*>(self);
    if (writer->m_failed)
        return 1;
    // Unbuffered where it matters: a full disk shows at this write, not at some later flush.
    const qint64 written = writer->m_file.write(reinterpret_cast<const char*>(data), length);
    if (written != length || !writer->m_file.flush()) {
        writer->fail(writer->m_file.errorString());
        return 1;
    }
    writer->m_bytes += length;
    return 0;
}

int OpusFileWriter::onClose(void* self) {
    auto* writer = static_cast<OpusFileWriter*>(self);
    if (writer->m_file.isOpen() && !writer->m_file.flush())
        writer->fail(writer->m_file.errorString());
    return 0;
}

bool OpusFileWriter::setDurationTag(const QString& path, const QString& value) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    // The two header pages are well under this; the rest of the file is never read.
    QByteArray head = file.read(8192);
    qsizetype h1 = 0, b1 = 0, h2 = 0, b2 = 0;
    if (!pageAt(head, 0, h1, b1) || !pageAt(head, h1 + b1, h2, b2))
        return false;
    const qsizetype page = h1 + b1;
    const qsizetype body = page + h2;
    // The comment packet alone on its page: "OpusTags", vendor, count, then length-prefixed comments.
    if (head.mid(body, 8) != "OpusTags" || (quint8(head.at(page + 5)) & 1))
        return false;
    qsizetype at = body + 8;
    at += 4 + le32(head, at);
    const quint32 count = le32(head, at);
    at += 4;
    qsizetype last = -1;
    for (quint32 i = 0; i < count; ++i) {
        if (at + 4 > body + b2)
            return false;
        last = at;
        at += 4 + le32(head, at);
    }
    if (last < 0 || at > body + b2 || head.mid(last + 4, kDurationKey.size()) != kDurationKey)
        return false;
    const QByteArray comment = kDurationKey + value.toUtf8();
    const qsizetype end = body + b2;
    if (last + 4 + comment.size() > end)
        return false;
    // The bytes after the comments are padding, which readers skip: the longer comment takes from it.
    qToLittleEndian<quint32>(quint32(comment.size()), head.data() + last);
    head.replace(last + 4, comment.size(), comment);
    for (qsizetype i = last + 4 + comment.size(); i < end; ++i)
        head[i] = 0;
    ogg_page pg;
    pg.header = reinterpret_cast<unsigned char*>(head.data() + page);
    pg.header_len = long(h2);
    pg.body = reinterpret_cast<unsigned char*>(head.data() + body);
    pg.body_len = long(b2);
    ogg_page_checksum_set(&pg);
    return file.seek(page) && file.write(head.constData() + page, h2 + b2) == h2 + b2 && file.flush();
}
