#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/object.h"

// The fields of CefBrowserSettings in declaration order: (type, name, default).
#define CEF_BROWSER_SETTINGS_FIELDS(X)                                  \
    X(int32_t, minimumLogicalFontSize, -1)                              \
    X(int32_t, minimumFontSize, -1)                                     \
    X(int32_t, defaultFontSize, -1)                                     \
    X(int32_t, defaultFixedFontSize, -1)                                \
    X(std::optional<std::string>, fantasyFontFamily, std::nullopt)      \
    X(std::optional<std::string>, cursiveFontFamily, std::nullopt)      \
    X(std::optional<std::string>, serifFontFamily, std::nullopt)        \
    X(std::optional<std::string>, sansSerifFontFamily, std::nullopt)    \
    X(std::optional<std::string>, fixedFontFamily, std::nullopt)        \
    X(std::optional<std::string>, standardFontFamily, std::nullopt)     \
    X(bool, fullscreenEnabled, false)                                   \
    X(int32_t, animationFrameRate, 25)                                  \
    X(bool, historyDisabled, false)                                     \
    X(bool, loadDropsDisabled, false)                                   \
    X(bool, xssAuditorEnabled, false)                                   \
    X(bool, webSecurityDisabled, false)                                 \
    X(bool, webGLDisabled, true)                                        \
    X(std::optional<std::string>, userStyleSheetLocation, std::nullopt) \
    X(bool, userStyleSheetEnabled, false)                               \
    X(bool, textAreaResizeDisabled, false)                              \
    X(bool, tabToLinksDisabled, false)                                  \
    X(bool, siteSpecificQuirksDisabled, false)                          \
    X(bool, shrinkStandaloneImagesToFit, false)                         \
    X(bool, remoteFontsDisabled, false)                                 \
    X(bool, pluginsDisabled, false)                                     \
    X(bool, pageCacheDisabled, false)                                   \
    X(bool, localStorageDisabled, false)                                \
    X(bool, javaScriptOpenWindowsDisallowed, false)                     \
    X(bool, javaScriptDisabled, false)                                  \
    X(bool, javaScriptCloseWindowsDisallowed, false)                    \
    X(bool, javaScriptAccessClipboardDisallowed, false)                 \
    X(bool, javaDisabled, true)                                         \
    X(bool, imageLoadDisabled, false)                                   \
    X(bool, hyperlinkAuditingDisabled, false)                           \
    X(bool, universalAccessFromFileUrlsAllowed, false)                  \
    X(bool, fileAccessFromFileUrlsAllowed, false)                       \
    X(bool, encodingDetectorEnabled, false)                             \
    X(bool, dragDropDisabled, true)                                     \
    X(bool, domPasteDisabled, false)                                    \
    X(bool, developerToolsDisabled, true)                               \
    X(std::string, defaultEncoding, "")                                 \
    X(bool, databasesDisabled, false)                                   \
    X(bool, caretBrowsingEnabled, false)                                \
    X(bool, authorAndUserStylesDisabled, false)                         \
    X(bool, applicationCacheDisabled, false)                            \
    X(bool, acceleratedVideoDisabled, false)                            \
    X(bool, acceleratedPluginsDisabled, false)                          \
    X(bool, acceleratedFiltersDisabled, false)                          \
    X(bool, acceleratedLayersDisabled, false)                           \
    X(bool, acceleratedPaintingDisabled, false)                         \
    X(bool, acceleratedCompositingEnabled, false)                       \
    X(bool, accelerated2DCanvasDisabled, false)

namespace cef {

// The settings of one window's browser; the host reads the fields by name. The application
// shares one object among all its windows.
class CefBrowserSettings final : public rt::Object {
    RT_CLASS(CefBrowserSettings)
public:
#define CEF_BROWSER_SETTINGS_MEMBER(type, name, initial) type name = initial;
    CEF_BROWSER_SETTINGS_FIELDS(CEF_BROWSER_SETTINGS_MEMBER)
#undef CEF_BROWSER_SETTINGS_MEMBER
};

}  // namespace cef
