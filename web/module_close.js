return createUntranspose;
}
