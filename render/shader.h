#pragma once
#include "core/math.h"
#include "core/xml_parser.h"
#include "render/render.h"

#include <string>
#include <vector>

// An animator of a stage's texture matrix.
class YMatrixMod {
public:
    virtual ~YMatrixMod() = default;
    // Multiplies its own matrix into m; true when it changed m.
    virtual bool apply(float dt, YMatrix& m) = 0;
};

// Rotation about the texture centre; speed in degrees per second.
class YModRotate : public YMatrixMod {
public:
    explicit YModRotate(float speed) : speed(speed) {}
    bool apply(float dt, YMatrix& m) override;
    float angle = 0.0f;
    float speed;
};

// Scrolling; speeds in texture units per second.
class YModScroll : public YMatrixMod {
public:
    YModScroll(float speedX, float speedY) : speedX(speedX), speedY(speedY) {}
    bool apply(float dt, YMatrix& m) override;
    float offsetU = 0.0f, offsetV = 0.0f;
    float speedX, speedY;
};

// Scaling about the texture centre pulsing between 1/min and 1/max.
class YModPulse : public YMatrixMod {
public:
    YModPulse(float vel, float min, float max) : vel(vel), min(min), max(max) {}
    bool apply(float dt, YMatrix& m) override;
    float phase = 0.0f;
    float vel, min, max;
};

// One texture stage of a shader.
class YShaderStage {
public:
    YShaderStage();
    virtual ~YShaderStage();
    YShaderStage(const YShaderStage&) = delete;
    YShaderStage& operator=(const YShaderStage&) = delete;

    // Rebuilds the matrix from the animators (a stage without animators
    // keeps its matrix).
    void update(float dt);

    YTexture* texture = nullptr;
    uint32_t states[YSS_COUNT];
    YMatrix matrix;
    bool identity = true; // the matrix is the identity: no texture transform
    std::vector<YMatrixMod*> mods;
};

// A named render material: render states, lighting material and stages.
class YShader {
public:
    explicit YShader(const std::string& name);
    ~YShader();
    YShader(const YShader&) = delete;
    YShader& operator=(const YShader&) = delete;

    bool isAlphaBlended() const { return renderStates[YRS_ALPHABLENDENABLE] != 0; }
    // A new registered shader with the same states, material, lighting flag
    // and stages (texture and stage states; no animators).
    YShader* clone(const std::string& newName) const;
    // Back to an empty shader: no stages, black material, default states.
    void reset();

    std::string name;
    YRenderStates renderStates;
    YMaterial material;
    bool lighting = false;
    std::vector<YShaderStage*> stages;
};

// Every shader in creation order.
std::vector<YShader*>& gShaders();
// The shader of that name, created empty when none exists yet; never null.
YShader* getShader(const std::string& name);
YShader* findShader(const std::string& name);
// Runs every stage's animators once per frame.
void updateShaders(float dt);
// Deletes every shader. Shaders live for the whole run; this is for tests
// and the end of the program.
void clearShaders();
// Reads a shader file into the registry (needs a renderer).
void loadShaders(const char* fileName);

// The shader file reader.
class YShaderLoader : public XMLParser {
public:
    YShaderLoader();
    void parseFile(const char* fileName);

protected:
    void onTagOpen(int tagIndex) override;
    void onTagClose(int tagIndex) override;
    bool onError(const char* message) override;

private:
    void setRenderState(int index, const std::string& word);
    void setStageState(int index, const std::string& word);

    std::string mFileName;
    YShader* mShader = nullptr;
    YShaderStage* mStage = nullptr;
};
