#include "StreamEncoder.h"

#include <lame/lame.h>
#include <opus/opusenc.h>
#include <shout/shout.h>

#include <cmath>

namespace {

// The usual format of scanner feeds: small enough for listeners on a phone.
constexpr int kMp3Rate = 22050;
constexpr int kMp3Kbps = 16;
constexpr int kOpusBitrate = 20000;

class Mp3Encoder : public StreamEncoder {
public:
    explicit Mp3Encoder(int inputRate)
        : m_lame(lame_init()) {
        lame_set_in_samplerate(m_lame, inputRate);
        lame_set_out_samplerate(m_lame, kMp3Rate);
        lame_set_num_channels(m_lame, 1);
        lame_set_mode(m_lame, MONO);
        lame_set_brate(m_lame, kMp3Kbps);
        lame_set_VBR(m_lame, vbr_off);
        lame_set_bWriteVbrTag(m_lame, 0);
        lame_init_params(m_lame);
    }
    ~Mp3Encoder() override { lame_close(m_lame); }

    QByteArray encode(const qint16* pcm, int count) override {
        // The worst case LAME documents: 1.25 times the samples plus 7200 bytes.
        QByteArray out(int(std::ceil(1.25 * count)) + 7200, Qt::Uninitialized);
        const int n = lame_encode_buffer(m_lame, pcm, nullptr, count, reinterpret_cast<unsigned char*>(out.data()),
                                         int(out.size()));
        out.resize(n > 0 ? n : 0);
        return out;
    }
    QByteArray retitle(const QString&) override { return {}; }
    unsigned int shoutFormat() const override { return SHOUT_FORMAT_MP3; }

private:
    lame_global_flags* m_lame;
};

class OggOpusEncoder : public StreamEncoder {
public:
    OggOpusEncoder(int inputRate, const QString& title) {
        OggOpusComments* comments = makeComments(title);
        int error = OPE_OK;
        m_enc = ope_encoder_create_pull(comments, inputRate, 1, 0, &error);
        ope_comments_destroy(comments);
        if (m_enc) {
            ope_encoder_ctl(m_enc, OPUS_SET_BITRATE(kOpusBitrate));
            ope_encoder_ctl(m_enc, OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
            // Listeners hear the stream a quarter second late at most, not the encoder's default two seconds.
            ope_encoder_ctl(m_enc, OPE_SET_DECISION_DELAY(4800));
            ope_encoder_ctl(m_enc, OPE_SET_MUXING_DELAY(12000));
        }
    }
    ~OggOpusEncoder() override {
        if (m_enc)
            ope_encoder_destroy(m_enc);
    }

    QByteArray encode(const qint16* pcm, int count) override {
        if (!m_enc)
            return {};
        ope_encoder_write(m_enc, pcm, count);
        return pages();
    }
    QByteArray retitle(const QString& title) override {
        if (!m_enc)
            return {};
        OggOpusComments* comments = makeComments(title);
        ope_encoder_chain_current(m_enc, comments);
        ope_comments_destroy(comments);
        return pages();
    }
    unsigned int shoutFormat() const override { return SHOUT_FORMAT_OGG; }

private:
    static OggOpusComments* makeComments(const QString& title) {
        OggOpusComments* comments = ope_comments_create();
        if (!title.isEmpty())
            ope_comments_add(comments, "TITLE", title.toUtf8().constData());
        return comments;
    }
    QByteArray pages() {
        QByteArray out;
        unsigned char* page = nullptr;
        opus_int32 length = 0;
        while (ope_encoder_get_page(m_enc, &page, &length, 0))
            out.append(reinterpret_cast<const char*>(page), length);
        return out;
    }

    OggOpusEnc* m_enc = nullptr;
};

} // namespace

std::unique_ptr<StreamEncoder> StreamEncoder::create(StreamTarget::Format format, int inputRate, const QString& title) {
    if (format == StreamTarget::Format::OggOpus)
        return std::make_unique<OggOpusEncoder>(inputRate, title);
    return std::make_unique<Mp3Encoder>(inputRate);
}
