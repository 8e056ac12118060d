// Keeps an otherwise empty library buildable.
