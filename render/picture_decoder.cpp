#include "render/picture_decoder.h"

#include "core/log.h"
#include "platform/sys/thread.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace {

// Largest texture side the renderer makes.
constexpr int MAX_TEXTURE_SIZE = 512;
// Decoding threads at most: enough to hide the decoding behind the uploads
// at start-up without taking every core from the rasteriser.
constexpr unsigned MAX_DECODERS = 4;

} // namespace

YDecodedPicture decodePicture(const std::string& file)
{
    YDecodedPicture picture;
    picture.ok = img::loadImage(file, picture.image, &picture.error);
    if (picture.ok) {
        if (picture.image.width > MAX_TEXTURE_SIZE || picture.image.height > MAX_TEXTURE_SIZE)
            picture.image = img::clampSize(picture.image, MAX_TEXTURE_SIZE);
        picture.mips = img::mipChain(picture.image);
    }
    return picture;
}

// The files of one start and their results; the workers share it, so it
// outlives a drop that leaves them finishing the file in hand.
struct YPictureDecoder::Jobs {
    std::vector<std::string> files;
    std::vector<std::promise<YDecodedPicture>> results;
    std::atomic<size_t> next{0};
};

// A worker's loop. Every picture it takes gets an answer, whatever is
// thrown, or its texture would wait for it forever: one the memory cannot
// hold fails, and so does one whose failure cannot even be written down.
void YPictureDecoder::decodeJobs(Jobs& jobs)
{
    for (size_t i; (i = jobs.next++) < jobs.files.size();) {
        try {
            YDecodedPicture picture;
            try {
                picture = decodePicture(jobs.files[i]);
            } catch (const std::exception& e) {
                picture.error = e.what(); // ok stays false
            } catch (...) {
                picture.error = "unknown error";
            }
            jobs.results[i].set_value(std::move(picture));
        } catch (...) {
            try {
                jobs.results[i].set_value(YDecodedPicture());
            } catch (...) {
                // answered already
            }
        }
    }
}

YPictureDecoder::~YPictureDecoder() { drop(); }

void YPictureDecoder::start(const std::vector<std::string>& files)
{
    drop();
    auto jobs = std::make_shared<Jobs>();
    for (const std::string& file : files) {
        if (mAhead.count(file))
            continue;
        jobs->files.push_back(file);
        jobs->results.emplace_back();
        mAhead[file] = jobs->results.back().get_future();
    }
    if (jobs->files.empty())
        return;
    mJobs = jobs;
    const unsigned wanted =
        mThreads ? mThreads : std::min(MAX_DECODERS, std::max(1u, std::thread::hardware_concurrency()));
    const size_t threads = std::min<size_t>(jobs->files.size(), wanted);
    mWorkers.reserve(threads); // a started thread is never dropped unjoined
    for (size_t t = 0; t < threads; ++t) {
        try {
            mWorkers.push_back(sys::startThread("picture decoder", [jobs] { decodeJobs(*jobs); }));
        } catch (const std::exception& e) {
            // The workers that started decode every file; with none, each
            // picture is decoded when it is taken.
            if (!mRefusalLogged) {
                mRefusalLogged = true;
                if (mWorkers.empty())
                    YLog::writef("Picture decoding thread could not be started: %s; pictures are decoded as "
                                 "their textures load",
                                 e.what());
                else
                    YLog::writef("Picture decoding thread could not be started: %s; pictures are decoded on %d "
                                 "of %d threads",
                                 e.what(), static_cast<int>(mWorkers.size()), static_cast<int>(threads));
            }
            break;
        }
    }
    if (mWorkers.empty()) {
        mAhead.clear();
        mJobs.reset();
    }
}

YDecodedPicture YPictureDecoder::take(const std::string& file)
{
    auto it = mAhead.find(file);
    if (it == mAhead.end())
        return decodePicture(file);
    YDecodedPicture picture = it->second.get();
    mAhead.erase(it);
    return picture;
}

void YPictureDecoder::drop()
{
    if (mJobs)
        mJobs->next = mJobs->files.size(); // the files not begun are left
    for (std::thread& worker : mWorkers)
        worker.join();
    mWorkers.clear();
    mAhead.clear();
    mJobs.reset();
}
