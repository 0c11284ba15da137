// RavoPlug: texts behind the 4-byte prefix, sent at once; a 10-second link check; the fishing
// game's configuration, state and score records.

#include "plugins/core/narrow_primitives.h"
#include "plugins/core/record_reader.h"

namespace {

using plug::ProcessManager;

constexpr plug::Variant kRavo{.linkCheckMs = 10000};

plug::Lib& TheLib() {
    return plug::LibOf<kRavo>();
}

}  // namespace

PLUG_NARROW_PRIMITIVES(TheLib)

static value plug_sendgameconfig(value handle, value config) {
    if (TheLib().Manager(handle) == nullptr || !plug::IsObject(config)) return nullptr;
    TheLib().SendRecord(handle, plug::kGameData,
                        plug::BuildGameConfigRecord(plug::ReadGameConfig(config)));
    return nullptr;
}

static value plug_sendgamestate(value handle) {
    TheLib().SendRecord(handle, plug::kGameData, plug::BuildGameStateRecord());
    return nullptr;
}

// The score, status and exchange objects come unchecked from the game window; a value that is not
// an object sends the record with every field 0.
template <typename Fields>
value SendFields(value handle, plug::MessageCode code, value object, Fields (*read)(value),
                 plug::Bytes (*build)(const Fields&)) {
    if (TheLib().Manager(handle) == nullptr) return nullptr;
    TheLib().SendRecord(handle, code, build(plug::IsObject(object) ? read(object) : Fields{}));
    return nullptr;
}

static value plug_setuserscore(value handle, value score) {
    return SendFields(handle, plug::kUserScore, score, &plug::ReadUserScore,
                      &plug::BuildUserScoreRecord);
}

static value plug_setuserstatus(value handle, value status) {
    return SendFields(handle, plug::kUserStatus, status, &plug::ReadUserStatus,
                      &plug::BuildUserStatusRecord);
}

static value plug_sendexchangescore(value handle, value score) {
    return SendFields(handle, plug::kGameData, score, &plug::ReadExchangeScore,
                      &plug::BuildExchangeScoreRecord);
}

PLUG_EXPORT(plug_sendgameconfig, 2)
PLUG_EXPORT(plug_sendgamestate, 1)
PLUG_EXPORT(plug_setuserscore, 2)
PLUG_EXPORT(plug_setuserstatus, 2)
PLUG_EXPORT(plug_sendexchangescore, 2)
