#include "runtime/mutex_object.h"

#include "runtime/class_builder.h"

namespace rt {

const ClassInfo& MutexObject::staticClassInfo() {
    static const ClassInfo& info = ClassBuilder<MutexObject>("Mutex")
                                       .method("acquire", &MutexObject::acquire)
                                       .method("tryAcquire", &MutexObject::tryAcquire)
                                       .method("release", &MutexObject::release)
                                       .constructor()
                                       .build();
    return info;
}

RT_REGISTER_CLASS(MutexObject);

}  // namespace rt
