// RavoPlug: texts behind the 4-byte prefix, sent at once; a 10-second link check; the fishing
// game's configuration, state and score records.

#include "plugins/core/narrow_primitives.h"
#include "plugins/core/record_reader.h"

namespace {

using plug::ProcessManager;

constexpr plug::Variant kRavo{
    .textPrefix = plug::kNarrowPrefix,
    .userFixedLength = plug::kUserFixedLengthNarrow,
    .linkCheckMs = 10000,
    .linkFollowUp = false,
    .linkAlwaysRelinked = false,
};

ProcessManager* MakeManager(const plug::Variant& variant) {
    return new ProcessManager(variant);
}

plug::Lib& TheLib() {
    static plug::Lib lib(kRavo, &MakeManager);
    return lib;
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
static value plug_setuserscore(value handle, value score) {
    if (TheLib().Manager(handle) == nullptr) return nullptr;
    TheLib().SendRecord(
        handle, plug::kUserScore,
        plug::BuildUserScoreRecord(plug::IsObject(score) ? plug::ReadUserScore(score)
                                                         : plug::UserScore{}));
    return nullptr;
}

static value plug_setuserstatus(value handle, value status) {
    if (TheLib().Manager(handle) == nullptr) return nullptr;
    TheLib().SendRecord(
        handle, plug::kUserStatus,
        plug::BuildUserStatusRecord(plug::IsObject(status) ? plug::ReadUserStatus(status)
                                                           : plug::UserStatus{}));
    return nullptr;
}

static value plug_sendexchangescore(value handle, value score) {
    if (TheLib().Manager(handle) == nullptr) return nullptr;
    TheLib().SendRecord(
        handle, plug::kGameData,
        plug::BuildExchangeScoreRecord(plug::IsObject(score) ? plug::ReadExchangeScore(score)
                                                             : plug::ExchangeScore{}));
    return nullptr;
}

PLUG_EXPORT(plug_sendgameconfig, 2)
PLUG_EXPORT(plug_sendgamestate, 1)
PLUG_EXPORT(plug_setuserscore, 2)
PLUG_EXPORT(plug_setuserstatus, 2)
PLUG_EXPORT(plug_sendexchangescore, 2)
