#pragma once
#include "render/render.h"

#include <cstdint>
#include <string>
#include <vector>

// Kinds of render resources, as bits of a mask.
enum YResourceKind : uint32_t {
    YRK_DEVICE_RESET = 1, // invalidated and restored around a device reset
    YRK_TEXTURE = 2,
    YRK_MESH = 4,
    YRK_MESH_INSTANCE = 8,
    YRK_ALL = 0xFFFFFFFFu,
};

// Everything that holds a device object. All live resources stand in one
// registry so the device can be torn down and rebuilt: each resource drops
// its device object and later makes it again from what it keeps in memory.
class YRenderResource {
public:
    YRenderResource();
    virtual ~YRenderResource();
    YRenderResource(const YRenderResource&) = delete;
    YRenderResource& operator=(const YRenderResource&) = delete;

    // Makes the device object.
    virtual void restore() {}
    // Releases the device object.
    virtual void invalidate() {}

    uint32_t kind = 0;
    std::string name;
};

// The registry, in creation order (a removal keeps the order of the rest).
std::vector<YRenderResource*>& gRenderResources();

YRenderResource* findRenderResource(const std::string& name, uint32_t kindMask);
void restoreRenderResources(uint32_t kindMask);
void invalidateRenderResources(uint32_t kindMask);

// A texture: its name is the image file path ("textures\split.jpg").
class YTexture : public YRenderResource {
public:
    YTexture();
    ~YTexture() override;
    // Releases any device texture and loads it again from the file.
    void restore() override;
    void invalidate() override;
    // Sets the name and loads the image now when a renderer exists.
    void load(const std::string& fileName);

    YDeviceTexture deviceTexture = nullptr;
};

// A texture computed per texel from another through a colour filter.
class YFilterTexture : public YTexture {
public:
    YFilterTexture(YTexture* source, YColorFilter* filter); // owns the filter
    ~YFilterTexture() override;
    void restore() override;

    YTexture* source;
    YColorFilter* filter;
};

YTexture* findTexture(const std::string& name);
// The texture of that file, loaded on first request; never null.
YTexture* getTexture(const std::string& name);
