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
    if (gRender)
        gRender->releaseTexture(this);
    pending = true;
}

void YTexture::invalidate()
{
    pending = false;
    if (gRender)
        gRender->releaseTexture(this);
}

void YTexture::load(const std::string& fileName)
{
    name = fileName;
    restore();
}

void YTexture::prepare(bool mips)
{
    if (!gRender || !(pending || (mips && deviceTexture && !withMips)))
        return;
    pending = false;
    gRender->releaseTexture(this);
    withMips = mips;
    make();
}

void YTexture::make() { gRender->loadTexture(this); }

YFilterTexture::YFilterTexture(YTexture* src, YColorFilter* f) : source(src), filter(f) {}

YFilterTexture::~YFilterTexture()
{
    invalidate();
    delete filter;
}

void YFilterTexture::make()
{
    withMips = true;
    if (source)
        source->prepare();
    deviceTexture = gRender->createFilteredTexture(source, filter);
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
