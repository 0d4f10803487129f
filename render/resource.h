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

// A texture: its name is the image file path ("textures\\split.jpg"). The
// image is loaded when the texture is made and on every restore, so a
// texture that is asked for is on the device when the call returns.
class YTexture : public YRenderResource {
public:
    YTexture();
    ~YTexture() override;
    // Releases any device texture and loads it again from the file. A file
    // that fails to load leaves no device texture until the next restore.
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
    // Made again from the source's pixels (the source stands earlier in the
    // registry, so a restore of everything makes it first).
    void restore() override;

    YTexture* source;
    YColorFilter* filter;
};

// While it lives, the renderer decodes these image files on other threads,
// and textures of those names that load meanwhile take their pictures from
// there. For a batch of loads in a known order (not nested).
class YTextureDecodeAhead {
public:
    explicit YTextureDecodeAhead(const std::vector<std::string>& files);
    ~YTextureDecodeAhead();
    YTextureDecodeAhead(const YTextureDecodeAhead&) = delete;
    YTextureDecodeAhead& operator=(const YTextureDecodeAhead&) = delete;
};

YTexture* findTexture(const std::string& name);
// The texture of that file, loaded on first request; never null.
YTexture* getTexture(const std::string& name);
