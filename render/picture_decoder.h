#pragma once
#include "platform/img/image.h"

#include <future>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// A texture's picture ready for the device: the image file decoded, clamped
// to 512 texels in each direction, with its mip chain.
struct YDecodedPicture {
    img::Image image;
    std::vector<img::Image> mips;
    bool ok = false;
    std::string error; // why it failed, when the reader says
};

// Reads and prepares the picture of an image file (safe on any thread).
YDecodedPicture decodePicture(const std::string& file);

// Decodes the pictures of several files on other threads, ahead of the
// textures that load them one after the other on the main thread.
class YPictureDecoder {
public:
    // Decodes on up to `threads` threads at once; 0 takes one per core,
    // four at most.
    explicit YPictureDecoder(unsigned threads = 0) : mThreads(threads) {}
    ~YPictureDecoder();
    YPictureDecoder(const YPictureDecoder&) = delete;
    YPictureDecoder& operator=(const YPictureDecoder&) = delete;

    // Starts on these files, in their order, after dropping what an earlier
    // start left untaken. An empty list only drops.
    void start(const std::vector<std::string>& files);
    // The file's picture: the one decoded ahead (waiting for it to be done)
    // or, for a file not started or already taken, one decoded now.
    YDecodedPicture take(const std::string& file);

private:
    struct Jobs;
    static void decodeJobs(Jobs& jobs);
    void drop();

    unsigned mThreads;
    std::shared_ptr<Jobs> mJobs;
    std::vector<std::thread> mWorkers;
    std::map<std::string, std::future<YDecodedPicture>> mAhead;
    bool mRefusalLogged = false; // a refused decoding thread is said once
};
