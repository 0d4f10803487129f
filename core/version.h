#pragma once

constexpr const char* PRODUCT_NAME = "Tarvelin";
constexpr const char* PRODUCT_VERSION = "v1.12";
