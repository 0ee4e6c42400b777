// The exe's own throw helpers (src/app/library_throws.cpp), linked here as in the exe: the
// standard library really calls them, and what reaches a handler is a std::exception that
// carries the library's message, not one of the library's own exception types.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct LibraryFaultCase {
    const char* name;
    std::function<void()> fault;
    const char* messagePart;
};

TEST(LibraryThrows, FaultsInTheStandardLibraryReachHandlersAsPlainExceptionsWithItsMessage) {
    const LibraryFaultCase cases[] = {
        {"vector::at", [] { (void)std::vector<int>(2).at(5); }, "_M_range_check"},
        {"map::at", [] { (void)std::map<int, int>{}.at(1); }, "map::at"},
        {"wstring::substr", [] { (void)std::wstring(L"ab").substr(3); }, "__pos"},
        {"vector::reserve", [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }, "vector::reserve"},
    };
    for (const LibraryFaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.fault();
            ADD_FAILURE() << "nothing thrown";
        } catch (const std::logic_error& fault) {
            ADD_FAILURE() << "the library's own helper threw: " << fault.what();
        } catch (const std::exception& fault) {
            EXPECT_NE(std::string(fault.what()).find(c.messagePart), std::string::npos) << fault.what();
        }
    }
}

TEST(LibraryThrows, ImpossibleAllocationsStayTheStandardAllocationFailures) {
    std::allocator<std::int32_t> allocator;
    const std::size_t overMaxSize = PTRDIFF_MAX / sizeof(std::int32_t) + 1;
    EXPECT_THROW((void)allocator.allocate(overMaxSize), std::bad_alloc);
    EXPECT_THROW((void)allocator.allocate(SIZE_MAX), std::bad_array_new_length);
}

}  // namespace
