// Loads the fake library for one test and points QUORVEL_WAB_DLLPATH at it. The
// test keeps its own handle, so the fake's state outlives the session's.
#pragma once

#include "tests/addressbook/FakeWab.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>

class FakeBook {
  public:
    FakeBook()
        : m_handle(dlopen(FAKE_WAB_PATH, RTLD_NOW | RTLD_LOCAL)),
          m_state(reinterpret_cast<FakeWabStateFunction>(dlsym(m_handle, "GetFakeWabState"))()) {
        *m_state = FakeWabState();
        setenv("QUORVEL_WAB_DLLPATH", FAKE_WAB_PATH, 1);
    }
    ~FakeBook() {
        unsetenv("QUORVEL_WAB_DLLPATH");
        dlclose(m_handle);
    }
    FakeWabState& state() { return *m_state; }

  private:
    void* m_handle;
    FakeWabState* m_state;
};

// A mail user with a display name and a given name.
inline FakeEntry Contact(const std::string& name, BYTE id) {
    FakeEntry entry;
    entry.name = name;
    entry.id = {id, static_cast<BYTE>(id ^ 0x5A), 0x11};
    entry.props = {{PR_DISPLAY_NAME_A, name}, {PR_GIVEN_NAME, "given " + name}};
    return entry;
}
