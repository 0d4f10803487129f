#include "game/progress.h"

#include "core/file_list.h"
#include "core/log.h"
#include "core/math.h"
#include "core/streams.h"
#include "render/camera.h"

#include <cctype>

int32_t readProgress(const std::string& fileName)
{
    InFStream in(fileName);
    if (!in.isOpen())
        return 0; // no progress yet: only the first level is open
    if (in.length() < YProgressFile::LEVEL_OFFSET + 4) {
        YLog::writef("Progress file %s is too short (%lld bytes): starting from the first level",
                     fileName.c_str(), static_cast<long long>(in.length()));
        return 0;
    }
    in.skip(YProgressFile::LEVEL_OFFSET);
    int32_t level = 0;
    if (!in.readValue(level)) {
        YLog::writef("Cannot read progress file %s: starting from the first level", fileName.c_str());
        return 0;
    }
    return level < 0 ? 0 : level;
}

bool writeProgress(int32_t highestLevel, const YMatrix& cameraToWorld, const YMatrix& view,
                   const std::string& fileName)
{
    OutFStream out(fileName);
    out.write(cameraToWorld.m, static_cast<int>(sizeof(cameraToWorld.m)));
    out.writeValue(highestLevel);
    out.write(view.m, static_cast<int>(sizeof(view.m)));
    if (out.close())
        return true;
    YLog::writef("Cannot save progress to %s", fileName.c_str());
    return false;
}

bool writeProgress(int32_t highestLevel, const std::string& fileName)
{
    return writeProgress(highestLevel, gCamera().inverse(), gCamera().view(), fileName);
}

std::vector<std::string> listLevelNames()
{
    std::vector<std::string> names = findFiles("levels\\*", false);
    std::vector<std::string> levels;
    levels.reserve(names.size());
    for (std::string& name : names) {
        bool temporary = name.size() >= 4;
        for (size_t i = 0; temporary && i < 4; ++i)
            temporary = std::tolower(static_cast<unsigned char>(name[name.size() - 4 + i])) == ".tmp"[i];
        if (!temporary)
            levels.push_back(std::move(name));
    }
    return levels;
}
