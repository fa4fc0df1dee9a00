// The committed media, read from the source tree: the clip is a RIFF "AVI "
// file with an index and one 320 x 240 Cinepak video stream, the sound a mono
// 8-bit 11,025 Hz PCM WAVE file. The program builds them in unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string MediaFile(const char* name)
{
    std::string here = __FILE__;
    std::string root = here.substr(0, here.rfind("/tests/unit/"));
    std::ifstream file(root + "/saver/resources/media/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

uint32_t U32(const std::string& bytes, size_t at)
{
    if (at + 4 > bytes.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t U16(const std::string& bytes, size_t at)
{
    if (at + 2 > bytes.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

struct Chunk {
    std::string id;    // four characters; for a LIST, "LIST" plus its form in `form`
    std::string form;
    std::string data;  // for a LIST, the chunks after the form
};

// The chunks in a run of RIFF data, each padded to an even length. A chunk
// that claims more than the data holds ends the run and is reported.
std::vector<Chunk> Chunks(const std::string& bytes, bool* truncated = nullptr)
{
    std::vector<Chunk> chunks;
    size_t at = 0;
    while (at + 8 <= bytes.size()) {
        uint32_t size = U32(bytes, at + 4);
        if (size > bytes.size() - at - 8) {
            if (truncated)
                *truncated = true;
            break;
        }
        Chunk chunk{bytes.substr(at, 4), "", bytes.substr(at + 8, size)};
        if (chunk.id == "LIST" && size >= 4) {
            chunk.form = chunk.data.substr(0, 4);
            chunk.data = chunk.data.substr(4);
        }
        chunks.push_back(chunk);
        at += 8 + size + (size & 1);
    }
    return chunks;
}

const Chunk* Find(const std::vector<Chunk>& chunks, const std::string& id, const std::string& form = "")
{
    for (const Chunk& chunk : chunks)
        if (chunk.id == id && chunk.form == form)
            return &chunk;
    return nullptr;
}

TEST(MediaFiles, TheClipIsAnIndexedAviWithOneCinepakStreamOf320By240)
{
    std::string avi = MediaFile("zolp.avi");
    ASSERT_GT(avi.size(), 12u) << "zolp.avi is missing or empty";
    ASSERT_EQ("RIFF", avi.substr(0, 4));
    EXPECT_EQ(avi.size() - 8, U32(avi, 4));
    ASSERT_EQ("AVI ", avi.substr(8, 4));

    bool truncated = false;
    std::vector<Chunk> top = Chunks(avi.substr(12), &truncated);
    EXPECT_FALSE(truncated);
    const Chunk* header = Find(top, "LIST", "hdrl");
    ASSERT_NE(nullptr, header);
    EXPECT_NE(nullptr, Find(top, "LIST", "movi"));
    const Chunk* index = Find(top, "idx1");
    ASSERT_NE(nullptr, index);
    EXPECT_GT(index->data.size(), 0u);
    EXPECT_EQ(0u, index->data.size() % 16);

    std::vector<Chunk> inHeader = Chunks(header->data);
    const Chunk* main = Find(inHeader, "avih");
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(1u, U32(main->data, 24));  // dwStreams
    EXPECT_EQ(320u, U32(main->data, 32));
    EXPECT_EQ(240u, U32(main->data, 36));

    int streams = 0;
    for (const Chunk& chunk : inHeader) {
        if (chunk.id != "LIST" || chunk.form != "strl")
            continue;
        ++streams;
        std::vector<Chunk> inStream = Chunks(chunk.data);
        const Chunk* streamHeader = Find(inStream, "strh");
        const Chunk* format = Find(inStream, "strf");
        ASSERT_NE(nullptr, streamHeader);
        ASSERT_NE(nullptr, format);
        EXPECT_EQ("vids", streamHeader->data.substr(0, 4));
        EXPECT_EQ("cvid", streamHeader->data.substr(4, 4));
        EXPECT_EQ(320u, U32(format->data, 4));   // biWidth
        EXPECT_EQ(240u, U32(format->data, 8));   // biHeight: positive, bottom-up rows
        EXPECT_EQ("cvid", format->data.substr(16, 4));  // biCompression
    }
    EXPECT_EQ(1, streams);
}

TEST(MediaFiles, TheSoundIsMono8Bit11025HzPcm)
{
    std::string wav = MediaFile("zolp.wav");
    ASSERT_GT(wav.size(), 12u) << "zolp.wav is missing or empty";
    ASSERT_EQ("RIFF", wav.substr(0, 4));
    EXPECT_EQ(wav.size() - 8, U32(wav, 4));
    ASSERT_EQ("WAVE", wav.substr(8, 4));
    bool truncated = false;
    std::vector<Chunk> chunks = Chunks(wav.substr(12), &truncated);
    EXPECT_FALSE(truncated);
    const Chunk* format = Find(chunks, "fmt ");
    ASSERT_NE(nullptr, format);
    ASSERT_GE(format->data.size(), 16u);
    EXPECT_EQ(1, U16(format->data, 0));       // PCM
    EXPECT_EQ(1, U16(format->data, 2));       // channels
    EXPECT_EQ(11025u, U32(format->data, 4));  // samples per second
    EXPECT_EQ(11025u, U32(format->data, 8));  // bytes per second
    EXPECT_EQ(1, U16(format->data, 12));      // block align
    EXPECT_EQ(8, U16(format->data, 14));      // bits per sample
    const Chunk* data = Find(chunks, "data");
    ASSERT_NE(nullptr, data);
    EXPECT_GT(data->data.size(), 0u);
}

}  // namespace
