import { test } from 'node:test';
test('page tests run', () => {});
