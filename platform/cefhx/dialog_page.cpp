#include "platform/cefhx/dialog_page.h"

#include <algorithm>

#include "platform/cefhx/utf8.h"
#include "runtime/strings.h"
#include "runtime/xml.h"

namespace cefhx {
namespace {

// The screen columns a line of text takes: wide (East Asian) characters count two.
int columns(std::string_view utf8) {
    int n = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) == 0x80) continue;
        n += c >= 0xE1 ? 2 : 1;  // lead bytes from U+1000 on
    }
    return n;
}

int textLines(std::string_view text) {
    int lines = 0;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        lines +=
            std::max(1, (columns(line) + kDialogLayout.boxColumns - 1) / kDialogLayout.boxColumns);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return std::clamp(lines, 1, kDialogLayout.boxMaxLines);
}

constexpr const char* kBoxStyle =
    "html,body{margin:0;height:100%;overflow:hidden}"
    "body{display:flex;flex-direction:column;box-sizing:border-box;border:1px solid #667;"
    "background:#f5f5f7;color:#222;font:14px/20px sans-serif}"
    "h1{margin:0;padding:6px 12px;font-size:14px;line-height:20px;background:#2d5fb5;color:#fff;"
    "white-space:nowrap;overflow:hidden;text-overflow:ellipsis}"
    "body.warning h1{background:#b3332d}"
    "#text{flex:1;margin:0;padding:12px;white-space:pre-wrap;overflow-wrap:anywhere;"
    "overflow:auto}"
    "#buttons{padding:8px 12px;text-align:right}"
    "button{min-width:76px;margin-left:8px;padding:4px 10px;font:inherit}";

// Answers 1 (OK, yes) or 0 (no, Escape) through the bridge, once.
constexpr const char* kBoxScript =
    "(() => {"
    " let answered = false;"
    " const answer = (n) => { if (answered) return; answered = true; cefhx.call('answer', n); };"
    " document.getElementById('buttons').addEventListener('click', (e) => {"
    "  const b = e.target.closest('button'); if (b) answer(Number(b.dataset.answer)); });"
    " document.addEventListener('keydown', (e) => { if (e.key === 'Escape') answer(0); });"
    "})();";

constexpr const char* kMenuStyle =
    "html,body{margin:0;overflow:hidden}"
    "body{box-sizing:border-box;height:100vh;padding:4px 0;border:1px solid #667;"
    "background:#fbfbfd;color:#222;font:14px sans-serif;overflow-y:auto}"
    ".item,.group{height:26px;line-height:26px;padding:0 16px;white-space:nowrap;overflow:hidden;"
    "text-overflow:ellipsis;cursor:default;outline:none}"
    ".group{color:#667;font-size:12px}"
    ".item:hover,.item:focus{background:#2d5fb5;color:#fff}"
    "hr{margin:4px 0;border:0;border-top:1px solid #ccd;height:0}";

// Answers the clicked item's id, or 0 for Escape and for losing the focus (a click elsewhere),
// once. Up and down move between items, Enter chooses the focused one.
constexpr const char* kMenuScript =
    "(() => {"
    " let chosen = false;"
    " const choose = (id) => { if (chosen) return; chosen = true; cefhx.call('choose', id); };"
    " const items = Array.from(document.querySelectorAll('.item'));"
    " document.body.addEventListener('click', (e) => {"
    "  const i = e.target.closest('.item'); if (i) choose(Number(i.dataset.id)); });"
    " document.addEventListener('keydown', (e) => {"
    "  const at = items.indexOf(document.activeElement);"
    "  if (e.key === 'Escape') choose(0);"
    "  else if (e.key === 'Enter' && at >= 0) choose(Number(items[at].dataset.id));"
    "  else if (e.key === 'ArrowDown' && items.length) items[(at + 1) % items.length].focus();"
    "  else if (e.key === 'ArrowUp' && items.length)"
    "   items[(at <= 0 ? items.length : at) - 1].focus();"
    " });"
    " let focused = document.hasFocus();"
    " window.addEventListener('focus', () => { focused = true; });"
    " window.addEventListener('blur', () => { if (focused) choose(0); });"
    "})();";

std::string page(const std::string& title, const char* style, const std::string& bodyClass,
                 const std::string& body, const char* script) {
    return "<!doctype html><html><head><meta charset=\"utf-8\"><title>" + title +
           "</title><style>" + style + "</style></head><body class=\"" + bodyClass + "\">" + body +
           "<script>" + script + "</script></body></html>";
}

}  // namespace

std::string htmlText(std::string_view text) {
    // A page's parser drops NUL characters from text; the reader sees the replacement instead.
    return rt::replaceAll(rt::escapeXmlText(validUtf8(text)), std::string_view("\0", 1),
                          "\xEF\xBF\xBD");
}

DialogPage boxPage(const BoxRequest& box) {
    const std::string title = htmlText(box.title);
    std::string buttons = box.confirm ? "<button data-answer=\"1\" autofocus>Yes</button>"
                                        "<button data-answer=\"0\">No</button>"
                                      : "<button data-answer=\"1\" autofocus>OK</button>";
    std::string body = "<h1 id=\"title\">" + title + "</h1><p id=\"text\">" + htmlText(box.text) +
                       "</p><div id=\"buttons\">" + buttons + "</div>";
    DialogPage p;
    p.html = page(title, kBoxStyle, box.warning ? "warning" : "", body, kBoxScript);
    p.width = kDialogLayout.boxWidth;
    p.height = kDialogLayout.boxFrame + kDialogLayout.boxLine * textLines(box.text);
    return p;
}

DialogPage menuPage(const std::vector<MenuEntry>& entries) {
    std::string body;
    int widest = 0;
    int height = kDialogLayout.menuFrame;
    for (const MenuEntry& e : entries) {
        const int indent = std::clamp(e.depth, 0, 8) * kDialogLayout.menuIndent;
        const std::string pad =
            indent ? " style=\"padding-left:" + std::to_string(16 + indent) + "px\"" : "";
        switch (e.kind) {
            case MenuEntry::Kind::Divider:
                body += "<hr>";
                height += kDialogLayout.menuDivider;
                continue;
            case MenuEntry::Kind::Group:
                body += "<div class=\"group\"" + pad + ">" + htmlText(e.label) + "</div>";
                break;
            case MenuEntry::Kind::Item:
                body += "<div class=\"item\" tabindex=\"0\" data-id=\"" + std::to_string(e.id) +
                        "\"" + pad + ">" + htmlText(e.label) + "</div>";
                break;
        }
        height += kDialogLayout.menuRow;
        widest = std::max(widest, indent + 8 * columns(e.label));
    }
    DialogPage p;
    p.html = page("Menu", kMenuStyle, "", body, kMenuScript);
    p.width = std::clamp(widest + 40, kDialogLayout.menuMinWidth, kDialogLayout.menuMaxWidth);
    p.height = std::min(height, kDialogLayout.menuMaxHeight);
    return p;
}

}  // namespace cefhx
