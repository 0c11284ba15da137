#include "runtime/mutex_object.h"

#include "runtime/class_builder.h"

namespace rt {

const ClassInfo& MutexObject::staticClassInfo() {
    static const ClassInfo& info = ClassBuilder<MutexObject>("Mutex")
                                       .method("acquire", &MutexObject::lock)
                                       .method("tryAcquire", &MutexObject::try_lock)
                                       .method("release", &MutexObject::unlock)
                                       .constructor()
                                       .build();
    return info;
}

RT_REGISTER_CLASS(MutexObject);

}  // namespace rt
