#include "lobby/clientini/client_ini_file.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "lobby/app/position_key.h"

namespace clientini {

std::vector<uint8_t> convert(std::vector<uint8_t> bytes, Direction direction,
                             const std::string& name) {
    const bool plain = !bytes.empty() && bytes[0] == '<';
    if (direction == Direction::Scramble && !plain) {
        throw std::runtime_error(name + " is not plain XML (it does not start with \"<\")");
    }
    if (direction == Direction::Unscramble && plain) {
        throw std::runtime_error(name + " is already plain XML");
    }
    lobby::applyPositionKey(bytes);
    return bytes;
}

void convertFile(const std::string& from, const std::string& to, Direction direction) {
    std::ifstream in(from, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + from);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    const std::vector<uint8_t> out = convert(std::move(bytes), direction, from);
    std::ofstream file(to, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + to);
}

}  // namespace clientini
