namespace rokan {}  // namespace rokan
