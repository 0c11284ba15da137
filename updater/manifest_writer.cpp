#include "updater/manifest_writer.h"

#include <iconv.h>

#include <fmt/format.h>
#include <stdexcept>

namespace haldor {
namespace {

// The manifests declare GB2312; their bytes are written in GB18030, its superset.
std::string ToGb18030(const std::string& utf8) {
    iconv_t cd = ::iconv_open("GB18030", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open GB18030 failed");
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    char* o = out.data();
    std::size_t o_left = out.size();
    std::size_t r = ::iconv(cd, &in, &in_left, &o, &o_left);
    ::iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) throw std::runtime_error("not UTF-8: " + utf8);
    out.resize(out.size() - o_left);
    return out;
}

}  // namespace

std::string ManifestText(const ManifestProduct& product, const std::vector<CUpdateFile>& files) {
    std::string urls[8];
    for (std::size_t i = 0; i < 8 && i < product.urls.size(); ++i) urls[i] = product.urls[i];
    std::string text =
        "<?xml version=\"1.0\" encoding=\"GB2312\" ?> \r\n<xmlRoot keyname=\"KeyValue\">\r\n";
    text += fmt::format(
        "\t<Product productVerion=\"{}\" maxVersion=\"{}\" UrlList1=\"{}\" UrlList2=\"{}\" "
        "UrlList3=\"{}\"\r\n UrlList4=\"{}\" UrlList5=\"{}\" UrlList6=\"{}\" UrlList7=\"{}\" "
        "UrlList8=\"{}\" filenum=\"{}\">\r\n",
        product.product_version, product.max_version, urls[0], urls[1], urls[2], urls[3], urls[4],
        urls[5], urls[6], urls[7], files.size());
    for (const auto& f : files) {
        text += fmt::format(
            "\t\t<File>\r\n\t\t\t<FileName>{}</FileName>\r\n\t\t\t<FileVersion>{}</FileVersion>\r\n"
            "\t\t\t<ProductVersion>{}</ProductVersion>\r\n\t\t\t<Length>{}</Length>\r\n"
            "\t\t\t<FileDateLow>{}</FileDateLow>\r\n\t\t\t<FileDateHigh>{}</FileDateHigh>\r\n"
            "\t\t\t<InstallDir>{}</InstallDir>\r\n\t\t\t<LocalPath>{}</LocalPath>\r\n"
            "\t\t\t<Md5>{}</Md5>\r\n\t\t</File>\r\n",
            f.file_name, f.file_version, f.product_version, f.length, f.file_time.low,
            f.file_time.high, f.install_dir, f.local_path, f.md5);
    }
    text += "\t</Product>\r\n</xmlRoot>\r\n";
    return ToGb18030(text);
}

}  // namespace haldor
