#pragma once
#include "core/xml_parser.h"

#include <string>
#include <vector>

class YShader;

// A named look of the table: one shader per subset of the pyramid mesh.
struct YTableMaterial {
    std::string name;
    std::vector<YShader*> shaders; // in the order of the shader1..shader9 attributes
};

// Every table material, in file order.
extern std::vector<YTableMaterial> gTableMaterials;

// The first material of exactly that name (byte for byte), or null.
const YTableMaterial* findTableMaterial(const std::string& name);

// Reads table materials ("data\env.yml"): "pyramid" (name, shader1 ..
// shader9) appends the nine shaders to the material of that name, made
// when it is new; "environment" (name, shader) is accepted and not stored.
// Errors are logged and reading goes on.
class YTableMaterialLoader : public XMLParser {
public:
    enum Tag { TAG_PYRAMID, TAG_ENVIRONMENT };

    YTableMaterialLoader();

protected:
    void onTagOpen(int tagIndex) override;
    bool onError(const char* message) override;
};

// Adds the materials of the file to gTableMaterials; a missing file adds
// nothing.
void loadTableMaterials(const char* fileName);
// Forgets every material (their shaders stay in the shader registry).
void clearTableMaterials();
