namespace rokan {} // removed once the first GUI source lands
