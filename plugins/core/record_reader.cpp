#include "plugins/core/record_reader.h"

#include "plugins/core/host.h"

namespace plug {

namespace {

value Field(value object, const char* name) {
    return host::val_field(object, host::val_id(name));
}

std::u16string WideOrEmpty(value v) {
    if (v == nullptr || host::val_type(v) == valtNull) return {};
    const char16_t* text = host::val_wstring(v);
    return text == nullptr ? std::u16string() : std::u16string(text);
}

// Slot k of the record takes element k when it is an object; other elements leave it empty.
template <typename Item, typename ReadItem>
std::vector<std::optional<Item>> ReadItems(value object, const char* name, size_t limit,
                                           ReadItem read) {
    std::vector<std::optional<Item>> items;
    const value array = Field(object, name);
    if (array == nullptr || host::val_type(array) != valtArray) return items;
    const size_t count = std::min<size_t>(static_cast<size_t>(host::val_array_size(array)), limit);
    for (size_t k = 0; k < count; ++k) {
        const value element = host::val_array_i(array, static_cast<int>(k));
        if (IsObject(element)) {
            items.emplace_back(read(element));
        } else {
            items.emplace_back(std::nullopt);
        }
    }
    return items;
}

}  // namespace

bool IsObject(value v) {
    if (v == nullptr) return false;
    const int type = host::val_type(v);
    return type == valtObject || type == valtAbstract || type == valtClassInstance;
}

bool IsString(value v) {
    return v != nullptr && host::val_type(v) == valtString;
}

int32_t IntField(value object, const char* name) {
    return host::val_int(Field(object, name));
}

std::u16string TextField(value object, const char* name) {
    return WideOrEmpty(Field(object, name));
}

int64_t TextNumberField(value object, const char* name) {
    const value field = Field(object, name);
    if (field == nullptr || host::val_type(field) == valtNull) return 0;
    return TextNumber(host::val_string(field));
}

int64_t FloatField(value object, const char* name) {
    return TruncateToInt64(host::val_float(Field(object, name)));
}

std::u16string WideText(value v) {
    return WideOrEmpty(v);
}

UserInfo ReadUserInfo(value object) {
    return {IntField(object, "gameId"),  IntField(object, "userId"),
            IntField(object, "tableId"), IntField(object, "chairId"),
            IntField(object, "status"),  TextNumberField(object, "score"),
            TextField(object, "name")};
}

RoomInfo ReadRoomInfo(value object) {
    return {IntField(object, "tableId"),    IntField(object, "chairId"),
            IntField(object, "userId"),     IntField(object, "kindId"),
            IntField(object, "serverId"),   IntField(object, "serverType"),
            IntField(object, "serverRule"), TextField(object, "serverName")};
}

GameConfig ReadGameConfig(value object) {
    GameConfig config;
    config.x = IntField(object, "x");
    config.y = IntField(object, "y");
    config.level = IntField(object, "level");
    config.elapsed = IntField(object, "elapsed");
    config.time = IntField(object, "time");
    config.exper = IntField(object, "exper");
    config.status = IntField(object, "status");
    config.items = ReadItems<FishItem>(object, "item", kGameConfigItems, [](value e) {
        return FishItem{IntField(e, "score"), IntField(e, "status"), IntField(e, "x"),
                        IntField(e, "y"), IntField(e, "time")};
    });
    config.ids = ReadItems<BulletItem>(object, "id", kGameConfigIds, [](value e) {
        return BulletItem{IntField(e, "x"), IntField(e, "y")};
    });
    return config;
}

UserScore ReadUserScore(value object) {
    return {IntField(object, "userId"), TextNumberField(object, "score")};
}

UserStatus ReadUserStatus(value object) {
    return {IntField(object, "userId"), IntField(object, "tableId"), IntField(object, "chairId"),
            IntField(object, "status")};
}

ExchangeScore ReadExchangeScore(value object) {
    return {IntField(object, "chairId"), FloatField(object, "x"), FloatField(object, "y")};
}

}  // namespace plug
