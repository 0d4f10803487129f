#include "render/resource.h"

#include <algorithm>

std::vector<YRenderResource*>& gRenderResources()
{
    static std::vector<YRenderResource*> registry;
    return registry;
}

YRenderResource::YRenderResource()
{
    gRenderResources().push_back(this);
}

YRenderResource::~YRenderResource()
{
    // The order is kept: a resource made from another (a filtered texture
    // from its source) comes after it, so a restore of everything makes the
    // source first.
    auto& list = gRenderResources();
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end())
        list.erase(it);
}

YRenderResource* findRenderResource(const std::string& name, uint32_t kindMask)
{
    for (YRenderResource* r : gRenderResources()) {
        if ((r->kind & kindMask) && r->name == name)
            return r;
    }
    return nullptr;
}

void restoreRenderResources(uint32_t kindMask)
{
    // The image files of the textures are decoded ahead, in the order the
    // walk loads them.
    std::vector<std::string> files;
    for (YRenderResource* r : gRenderResources()) {
        if ((r->kind & kindMask) && dynamic_cast<YTexture*>(r) && !dynamic_cast<YFilterTexture*>(r))
            files.push_back(r->name);
    }
    YTextureDecodeAhead ahead(files);
    // By index: a restore may create further resources (a texture of a
    // texture), which then join the walk.
    auto& list = gRenderResources();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i]->kind & kindMask)
            list[i]->restore();
    }
}

void invalidateRenderResources(uint32_t kindMask)
{
    auto& list = gRenderResources();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i]->kind & kindMask)
            list[i]->invalidate();
    }
}

YTexture::YTexture()
{
    kind = YRK_TEXTURE;
}

YTexture::~YTexture()
{
    invalidate();
}

void YTexture::restore()
{
    if (!gRender)
        return;
    gRender->releaseTexture(this);
    gRender->loadTexture(this);
}

void YTexture::invalidate()
{
    if (gRender)
        gRender->releaseTexture(this);
}

void YTexture::load(const std::string& fileName)
{
    name = fileName;
    restore();
}

YFilterTexture::YFilterTexture(YTexture* src, YColorFilter* f) : source(src), filter(f) {}

YFilterTexture::~YFilterTexture()
{
    invalidate();
    delete filter;
}

void YFilterTexture::restore()
{
    if (!gRender)
        return;
    gRender->releaseTexture(this);
    deviceTexture = gRender->createFilteredTexture(source, filter);
}

YTextureDecodeAhead::YTextureDecodeAhead(const std::vector<std::string>& files)
{
    if (gRender && !files.empty())
        gRender->decodeAhead(files);
}

YTextureDecodeAhead::~YTextureDecodeAhead()
{
    if (gRender)
        gRender->decodeAhead({});
}

YTexture* findTexture(const std::string& name)
{
    return dynamic_cast<YTexture*>(findRenderResource(name, YRK_TEXTURE));
}

YTexture* getTexture(const std::string& name)
{
    if (YTexture* t = findTexture(name))
        return t;
    YTexture* t = new YTexture();
    t->load(name);
    return t;
}
