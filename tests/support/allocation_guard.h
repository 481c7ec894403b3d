// Counting of heap allocations, for the tests that hold code to a no-allocation promise. The test
// binary replaces the global operator new (allocation_guard.cpp): while a guard is alive, every
// allocation through it is counted.
#pragma once

namespace rokan::test {

// Counts the allocations made during its lifetime, on any thread. Guards do not nest.
class AllocationGuard {
 public:
  AllocationGuard();
  ~AllocationGuard();
  AllocationGuard(const AllocationGuard&) = delete;
  AllocationGuard& operator=(const AllocationGuard&) = delete;

  long count() const;
};

}  // namespace rokan::test
