#include "voice/Codecs.h"

#include <lame/lame.h>
#include <mpg123.h>
#include <mutex>

namespace korvex::voice {

namespace {

// MP3 is a byte stream (block align 1): LAME's output goes out as it comes and libmpg123 in feed mode finds
// the frames again, whatever the packet boundaries.
class Mp3Encoder : public VoiceEncoder {
public:
    Mp3Encoder(lame_global_flags* lame, int channels) : m_lame(lame), m_channels(channels) {}
    ~Mp3Encoder() override { lame_close(m_lame); }
    void Encode(const std::int16_t* pcm, std::size_t samples, QByteArray& out) override {
        if (samples == 0) return;
        m_buf.resize(samples * 5 / 4 + 7200);
        int n;
        if (m_channels == 2) {
            m_stereo.resize(samples * 2);
            for (std::size_t i = 0; i < samples; ++i)
                m_stereo[2 * i] = m_stereo[2 * i + 1] = pcm[i];
            n = lame_encode_buffer_interleaved(m_lame, m_stereo.data(), int(samples), m_buf.data(),
                                               int(m_buf.size()));
        } else {
            n = lame_encode_buffer(m_lame, pcm, nullptr, int(samples), m_buf.data(), int(m_buf.size()));
        }
        if (n > 0) out.append(reinterpret_cast<const char*>(m_buf.data()), n);
    }
    void Flush(QByteArray& out) override {
        m_buf.resize(7200);
        // The no-gap flush keeps the encoder usable for the next talk.
        const int n = lame_encode_flush_nogap(m_lame, m_buf.data(), int(m_buf.size()));
        if (n > 0) out.append(reinterpret_cast<const char*>(m_buf.data()), n);
    }

private:
    lame_global_flags* m_lame;
    int m_channels;
    std::vector<unsigned char> m_buf;
    std::vector<short> m_stereo;
};

void initMpg123() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

class Mp3Decoder : public VoiceDecoder {
public:
    Mp3Decoder(mpg123_handle* mh, long rate) : m_mh(mh), m_rate(rate) { open(); }
    ~Mp3Decoder() override { mpg123_delete(m_mh); }
    void Decode(const char* data, std::size_t size, Pcm& out) override {
        if (size > 0 && mpg123_feed(m_mh, reinterpret_cast<const unsigned char*>(data), size) != MPG123_OK) {
            Reset();
            return;
        }
        unsigned char buf[8192];
        for (int guard = 0; guard < 100000; ++guard) {
            std::size_t done = 0;
            const int rc = mpg123_read(m_mh, buf, sizeof buf, &done);
            const auto* s = reinterpret_cast<const std::int16_t*>(buf);
            out.insert(out.end(), s, s + done / 2);
            if (rc == MPG123_NEW_FORMAT || (rc == MPG123_OK && done > 0)) continue;
            if (rc == MPG123_NEED_MORE || rc == MPG123_DONE || rc == MPG123_OK) return;
            // A hard error: start over with the next bytes rather than stay stuck.
            Reset();
            return;
        }
    }
    void Reset() override {
        mpg123_close(m_mh);
        open();
    }

private:
    void open() {
        mpg123_format_none(m_mh);
        mpg123_format(m_mh, m_rate, MPG123_MONO, MPG123_ENC_SIGNED_16);
        mpg123_open_feed(m_mh);
    }
    mpg123_handle* m_mh;
    long m_rate;
};

bool check(const WaveFormat& f, QString& error) {
    static const std::uint32_t rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    if (std::find(std::begin(rates), std::end(rates), f.samplesPerSec) == std::end(rates) ||
        f.avgBytesPerSec < 1000) {
        error = QStringLiteral("MP3 needs an MPEG sample rate and at least 8 kbit/s");
        return false;
    }
    return true;
}

} // namespace

namespace {

lame_global_flags* openLame(const WaveFormat& f, bool averageRate) {
    lame_global_flags* lame = lame_init();
    if (!lame) return nullptr;
    const int kbps = int(f.avgBytesPerSec * 8 / 1000);
    lame_set_num_channels(lame, f.channels);
    lame_set_in_samplerate(lame, int(f.samplesPerSec));
    lame_set_out_samplerate(lame, int(f.samplesPerSec));
    lame_set_mode(lame, f.channels == 2 ? JOINT_STEREO : MONO);
    if (averageRate) {
        lame_set_VBR(lame, vbr_abr);
        lame_set_VBR_mean_bitrate_kbps(lame, kbps);
    } else {
        lame_set_VBR(lame, vbr_off);
        lame_set_brate(lame, kbps);
    }
    lame_set_quality(lame, 7);
    lame_set_bWriteVbrTag(lame, 0);
    if (lame_init_params(lame) < 0 || (!averageRate && lame_get_brate(lame) != kbps)) {
        lame_close(lame);
        return nullptr;
    }
    return lame;
}

} // namespace

std::unique_ptr<VoiceEncoder> makeMp3Encoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    // Constant bit rate where the MPEG table has the format's rate; otherwise (20 kbit/s is no rate of MPEG
    // 2.5) an average bit rate, so the stream's bytes per second still match the format's.
    lame_global_flags* lame = openLame(f, false);
    if (!lame) lame = openLame(f, true);
    if (!lame) {
        error = QStringLiteral("LAME refuses this format");
        return nullptr;
    }
    return std::make_unique<Mp3Encoder>(lame, f.channels);
}

std::unique_ptr<VoiceDecoder> makeMp3Decoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    initMpg123();
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) {
        error = QString::fromLatin1(mpg123_plain_strerror(err));
        return nullptr;
    }
    mpg123_param(mh, MPG123_FLAGS, MPG123_MONO_MIX | MPG123_QUIET, 0);
    return std::make_unique<Mp3Decoder>(mh, long(f.samplesPerSec));
}

} // namespace korvex::voice
