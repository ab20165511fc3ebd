#pragma once

#include "StreamTarget.h"

#include <QByteArray>
#include <QString>

#include <memory>

/// Turns the live audio into the bytes of a stream; one per connection (an Ogg stream starts with headers).
class StreamEncoder {
public:
    virtual ~StreamEncoder() = default;
    /// Mono 16-bit samples in; the stream's bytes that are ready out (may be empty).
    virtual QByteArray encode(const qint16* pcm, int count) = 0;
    /// A new title; an Ogg stream carries it in a new chained stream, MP3 through the server.
    virtual QByteArray retitle(const QString& title) = 0;
    /// Content type for the server: SHOUT_FORMAT_MP3 or SHOUT_FORMAT_OGG.
    virtual unsigned int shoutFormat() const = 0;

    /// MP3 (mono, 16 kbit/s at 22.05 kHz) or Ogg Opus (mono, 20 kbit/s) from input at inputRate.
    static std::unique_ptr<StreamEncoder> create(StreamTarget::Format format, int inputRate, const QString& title);
};
