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
// image is decoded the first time the texture is drawn, not when it is
// asked for or restored: a scene holds only what it shows. Mip levels are
// made only for a draw that samples between them; a texture first made
// without them is made again with them when such a draw comes.
class YTexture : public YRenderResource {
public:
    YTexture();
    ~YTexture() override;
    // Releases any device texture; the next draw loads it again.
    void restore() override;
    void invalidate() override;
    // Sets the name; the image is loaded at the first draw.
    void load(const std::string& fileName);
    // Makes the device texture now if it is wanted (restored or loaded and
    // not made since), or has no mip levels and withMips asks for them. A
    // failure is not tried again before the next restore.
    void prepare(bool withMips = true);

    YDeviceTexture deviceTexture = nullptr;
    bool pending = false;   // wanted and not made yet
    bool withMips = true;   // the levels the device texture has or is to get

protected:
    // Makes the device texture (the renderer reads withMips).
    virtual void make();
};

// A texture computed per texel from another through a colour filter.
class YFilterTexture : public YTexture {
public:
    YFilterTexture(YTexture* source, YColorFilter* filter); // owns the filter
    ~YFilterTexture() override;

    YTexture* source;
    YColorFilter* filter;

protected:
    // From the source's pixels (loading the source first), with mip levels.
    void make() override;
};

YTexture* findTexture(const std::string& name);
// The texture of that file, made on first request (its image loads at its
// first draw); never null.
YTexture* getTexture(const std::string& name);
