#include "tools/sound/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace {

void appendPage(std::string& out, const ogg_page& page)
{
    out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

// Moves every finished packet into the stream and the stream's pages out.
void drain(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream, std::string& out)
{
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            ogg_page page;
            while (ogg_stream_pageout(&stream, &page))
                appendPage(out, page);
        }
    }
}

} // namespace

bool encodeOggVorbis(const int16_t* samples, size_t frames, int channels, int sampleRate, float quality,
                     std::string& out)
{
    out.clear();
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, sampleRate, quality) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "tarvelin");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x54727631); // a fixed serial keeps the bytes the same

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        appendPage(out, page);

    const size_t piece = 1024;
    for (size_t at = 0; at < frames; at += piece) {
        size_t n = std::min(piece, frames - at);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
        for (size_t i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                buffer[c][i] = static_cast<float>(samples[(at + i) * static_cast<size_t>(channels) +
                                                          static_cast<size_t>(c)]) / 32768.0f;
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        drain(dsp, block, stream, out);
    }
    vorbis_analysis_wrote(&dsp, 0); // end of stream
    drain(dsp, block, stream, out);
    while (ogg_stream_flush(&stream, &page))
        appendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}
